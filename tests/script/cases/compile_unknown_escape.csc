main()
{
  x = "\q";
}
