main()
{
  if (0) { a(; }
}
