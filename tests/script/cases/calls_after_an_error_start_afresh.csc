// run: bad 1 2
// run: good 21
// A failed call leaves nothing on the stack for the next call to trip on.
bad(a, b) { c = a; return a % 0; }
good(n) { $r = n * 2; }
