main()
{
  x = 1;
  x.Count;
}
