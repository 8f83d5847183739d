main()
{
  if ("x") $reached = 1;
}
