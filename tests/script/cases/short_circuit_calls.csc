main() { a = 0 && Probe.Echo(1); b = 1 && Probe.Echo(2) && Probe.Echo(0) && Probe.Echo(3); c = Probe.Echo(0) || Probe.Echo(4);
        d = 1 && 0 || 2 && 3; e = (0 && 1) + 5; $r = a + b + c + d + e; f = 0; g = f && 1; $g = g; }
