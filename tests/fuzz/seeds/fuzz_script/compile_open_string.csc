main()
{
  x = "open;
}
