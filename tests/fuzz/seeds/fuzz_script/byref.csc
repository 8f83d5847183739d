self(byref v)
{
  v = v;
}
set(byref v, n)
{
  v = n;
}
twice(byref v)
{
  set(v, v + v);
}
main()
{
  a = 5;
  self(a);
  $a = a;
  b = 1;
  set(b, 9);
  $b = b;
  x = "keep";
  x = x;
  $x = x;
  $g = 3;
  twice($g);
  c = "ab";
  twice(c);
  $c = c;
}
