add(a, b) { return a + b; } twice(byref v) { v = v * 2; } str(string s) { return s + "!"; } num(number n) { return n + 1; }
       obj(Probe p) { return p.Count; }
       main() { x = add(1, 2); twice(x); $x = x; $s = str(12); $n = num("41"); $o = obj(Probe); c = Probe; $c = c.Count; $e = empty == q; $f = x != empty; }
