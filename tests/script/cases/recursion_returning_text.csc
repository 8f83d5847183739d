r(n) { if (n == 0) return "end"; return r(n - 1); } main() { $r = r(20); x = r(3) + r(2); $x = x; return x; $y = 1; }
