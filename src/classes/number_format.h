// Number formatting for Math.Format1/2/3 and Math.FormatTime: a script's format
// is checked before any number is printed, and the result is bounded.
#pragma once

#include <cstddef>
#include <string>

// Formats `values` (double-precision, in order) by `format` as the standard
// formatted print does, but accepts only literal text, "%%" and floating-point
// conversions: flags from "-+ #0", a width and a precision of at most two
// digits each, an optional "l", then one of f, e, E, g, G; each conversion
// takes the next value and there may be fewer conversions than values.
// Exponents have at least three digits. The result keeps at most `limit`
// bytes (never half a double-byte character). False for any other format.
bool FormatNumbers(const std::string& format, const double* values, int count, std::size_t limit,
                   std::string& out);

// " m:ss" or "-m:ss" for a number of seconds truncated toward zero.
std::string FormatTime(double seconds);
