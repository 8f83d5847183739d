// run: f
f(number n) { }
