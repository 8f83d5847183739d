main() { x = 1; break; $x = 2; } 
