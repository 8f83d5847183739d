fib(n)
{
  if (n < 2) return n;
  return fib(n - 1) + fib(n - 2);
}
first(a, b)
{
  while (1) { return a; }
  return b;
}
main()
{
  $fib = fib(15);
  $first = first("x", "y");
}
