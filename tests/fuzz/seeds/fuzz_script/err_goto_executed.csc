main()
{
  x = 1;
  goto x;
}
