main()
{
  $before = 1;
  $x = 7 % 0;
}
