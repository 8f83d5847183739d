// Loop ends, stepped and tested at once or one by one.
main() { s = 0; for (i = 0; i < 5; i++) { if (i == 2) continue; s = s + i; } $s = s;
        j = "3"; while (j < 6) { j++; }
        $j = j; k = 9; for (; k > Probe.Count; k--) $k = k; n = 0; for (m = 3; m != -1; m--) n = n + m; $n = n;
        for (q = 0; q <= "2"; q++) $q = q; }
