main() { $a = 1; Probe.Stop(); $b = 2; }
