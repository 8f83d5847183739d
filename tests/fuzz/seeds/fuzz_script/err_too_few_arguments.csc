f(a, b, c)
{
}
main()
{
  f(1, 2);
}
