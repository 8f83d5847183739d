// run: outer 10 20
// A native that enters the engine again, once with a call that fails there:
// the failure is the nested call's result alone and the outer frame survives.
leaf() { $leaf = 1; }
failing() { x = 1 % 0; }
outer(a, b) { r = Probe.Call("leaf"); $f = Probe.Call("failing"); $after = a + b + r; }
