count()
{
  $calls = $calls + 1;
  return 1;
}
main()
{
  $calls = 0;
  s = "";
  for (i = 0; i < 3; i++) s = s + i;
  $s = s;
  $or = 1 || count();
  $and = 0 && count();
  $andValue = "" && count();
  $andBoth = 2 && 3;
  i = 0;
  $w = 0;
  while (1) {
    i++;
    if (i == 5) break;
    if (i == 2) continue;
    $w = $w + i;
  }
  $wi = i;
  if (0) { count(); } else $else = 1;
  for (j = 0; j < 10; j++) { if (j == 3) break; }
  $j = j;
  $nested = 0;
  for (a = 0; a < 3; a++)
    for (b = 0; b < 3; b++) {
      if (b == 1) continue;
      $nested = $nested + 1;
    }
}
