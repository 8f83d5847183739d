main() { while (1) { while (1) { break; } $a = $a + 1; if ($a > 2) return; } }
