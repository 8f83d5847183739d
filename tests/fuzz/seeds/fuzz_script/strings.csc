main()
{
  total = 0;
  for (round = 0; round < 200; round++) {
    s = "";
    for (i = 0; i < 500; i++) {
      s = s + "ab" + i;
    }
    total = total + 1;
  }
  $result = total;
}
