// Numbers of dumps and traces as text that stays put.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

// Rounded to 4 decimals, -0 shown as 0, so that a dump does not depend on the
// order the arithmetic was done in.
inline std::string Num(double value) {
  double rounded = std::round(value * 10000.0) / 10000.0;
  if (rounded == 0.0) rounded = 0.0;
  char text[48];
  std::snprintf(text, sizeof text, "%g", rounded);
  return text;
}
