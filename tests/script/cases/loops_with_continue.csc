main() { s = ""; for (i = 0; i < 5; i++) s = s + i; $s = s; i = 0; while (i < 7) { i += 2; if (i == 4) continue; $w = $w + i; } }
