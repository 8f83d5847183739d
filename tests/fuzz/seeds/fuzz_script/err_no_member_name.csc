main()
{
  x.;
}
