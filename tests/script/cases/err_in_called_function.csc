inner()
{
  return 1 % 0;
}
main()
{
  inner();
}
