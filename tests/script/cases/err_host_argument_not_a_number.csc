// run: f abc
f(number n) { }
