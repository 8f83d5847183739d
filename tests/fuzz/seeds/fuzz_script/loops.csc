main()
{
  sum = 0;
  for (i = 0; i < 1000; i++) {
    for (j = 0; j < 1000; j++) {
      sum = sum + i * j % 7;
    }
  }
  $result = sum;
}
