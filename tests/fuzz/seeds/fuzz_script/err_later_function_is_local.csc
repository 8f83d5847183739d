// run: a
a()
{
  b();
}
b()
{
}
