deep(n)
{
  return deep(n + 1);
}
main()
{
  deep(0);
}
