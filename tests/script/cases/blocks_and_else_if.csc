main() { x = 1; { { x = x + 1; } x = x + 1; } if (x == 3) { $a = 1; } else { $a = 2; } if (0) $b = 1; else if (1) $b = 2; else $b = 3; $x = (x, 5, x + 1); }
