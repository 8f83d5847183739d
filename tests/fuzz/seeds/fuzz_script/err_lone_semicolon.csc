main()
{
  { ; }
}
