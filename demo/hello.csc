// A first taste of the script language: run with `make run`.
#define COUNT 10

fib(n)
{
  if (n < 2) return n;
  return fib(n - 1) + fib(n - 2);
}

main()
{
  line = "";
  for (i = 0; i < COUNT; i++) line = line + fib(i) + " ";
  $fibonacci = line;
  $greeting = Probe.Echo("hello from the script engine");
}
