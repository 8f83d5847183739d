// A native that enters the engine again sees the nesting count of the
// expression it was called from.
down() { $n = $n + 1; down(); }
       main() { $n = 0; x = (((Probe.Call("down")))); $m = $n; $n = 0; y = 1 + (Probe.Call("down")); }
