// Variables are read when an operator, a call or a return uses them, after
// everything to their right has run.
pair(p, q) { return p * 10 + q; } bump(byref v) { v = v + 1; return v; } get(v) { return v; } none() { w = 1; }
       main() { $n = ("a" + 1, none()) == empty; $o = none() == empty;
        a = 1; $x = a + (a = 5); b = 2; $y = (b && 1) + (b = 0); c = 0; $z = (c && 1) + (c = 7);
        d = 3; $w = pair(d, d = 4); e = 1; $v = e * 100 + bump(e); $u = (get)(e); s = "a"; $s = s + (s = "b") + s; }
