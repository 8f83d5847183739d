// run: main 5 abc
main(number n, string s)
{
  $n = n + 1;
  $s = s + 1;
}
