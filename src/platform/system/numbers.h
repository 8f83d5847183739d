// Locale-free number reading and the one double-to-integer conversion: numbers
// in content and scripts read the same on every machine and never hit
// undefined behaviour.
#pragma once

#include <cstdint>

// The standard decimal conversion of the original runtime, without locale:
// leading blanks, an optional sign, digits with an optional point, an optional
// exponent. No "inf", "nan" or hexadecimal forms. Returns 0 with *end == text
// when nothing could be read. end may be null.
double ReadDecimal(const char* text, const char** end = nullptr);

// Reads up to the first non-hex character as an unsigned 32-bit number, the way
// the 32-bit runtime did: leading blanks skipped, an optional sign (a minus
// negates modulo 2^32), an optional "0x"/"0X", and values past 0xFFFFFFFF
// saturate at 0xFFFFFFFF. end may be null.
std::uint32_t ReadHex32(const char* text, const char** end = nullptr);

// A decimal integer as the 32-bit runtime read it (leading blanks, sign,
// digits; saturating at the 32-bit limits). end may be null.
std::int32_t ReadDecimalInt32(const char* text, const char** end = nullptr);

// Truncation toward zero into a 32-bit pattern. Values in [-2^31, 2^32) keep
// their low 32 bits (so an unsigned hexadecimal literal keeps its bits); NaN,
// infinities and anything further out give INT32_MIN, which is what the
// original's conversion instruction produced.
std::int32_t TruncateToInt32(double value);
