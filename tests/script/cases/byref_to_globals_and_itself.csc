set(byref a, byref b) { a = 1; b = "t"; } main() { set($g, loc); $l = loc; set(p, p); $p = p; }
