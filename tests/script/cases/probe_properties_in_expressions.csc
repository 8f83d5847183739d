main() { Probe.Value = Probe.Echo(5) + Probe.Count; x = Probe.Value; Probe.Value += 2; $x = x + Probe.Value;
        y = +Probe.Count; z = -Probe.Count; Probe.Value++; $y = y + z + Probe.Value; $t = Probe.Text + 1; $u = 1 + Probe.Text; }
