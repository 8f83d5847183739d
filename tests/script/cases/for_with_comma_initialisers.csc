main() { $n = 0; for (k = 3, n = 1; ; k--) { $n = $n + 1; if ($n > 10) break; } for (m = -4, z = 1; ; m++) { $m = m; if (m > 9) break; } }
