add(a, b)
{
  return a + b;
}
main()
{
  x = 0;
  i = 0;
  while (i < 1000000) {
    x = add(x, 1);
    i++;
  }
  $result = x;
}
