main() { i = 0; for (;;) { i++; if (i > 3) break; } $i = i; for (j = 0; j < 3;) j++; $j = j; for (k = 5; ; k--) if (k < 2) break; $k = k; }
