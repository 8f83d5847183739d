loop(n) { t = 0; for (i = 0; i < n; i++) { for (j = 0; j < n; j++) { if (j > i) break; t = t + i * j; } } return t; } main() { $l = loop(6); $k = loop(0); }
