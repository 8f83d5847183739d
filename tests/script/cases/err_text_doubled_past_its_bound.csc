// run: grow
// run: after
// A text doubled in a loop would ask for 16 TiB by the end: the join past
// the bound on one text (64 MiB, reached after 22 doublings) ends the call,
// and the engine goes on.
grow() { s = "AAAAAAAAAAAAAAAA"; $i = 0; while ($i < 40) { s = s + s; $i = $i + 1; } }
after() { $after = "ok" + $i; }
