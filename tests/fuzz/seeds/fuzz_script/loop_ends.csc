main()
{
  s = 0;
  for (i = 0; i < 5; i++) { if (i == 2) continue; s = s + i % 3; }
  j = 9;
  while (j > 0) j--;
  for (k = 4; k != 0; k--) $k = k + Probe.Count;
  $s = s + j;
}
one(a)
{
  for (n = a; n <= 3; n++) $n = n * 2 - n % -4;
  return n;
}
two(a, b)
{
  $two = one(a) + b;
}
