fib(n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); } main() { $f = fib(12); r = 0; while (1) { r++; if (r == 3) { return; } } }
