// Locale-free readers for decimal and hexadecimal numbers and the single
// double-to-integer conversion.
#include "platform/system/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

void SetEnd(const char** end, const char* value) {
  if (end != nullptr) *end = value;
}

}  // namespace

double ReadDecimal(const char* text, const char** end) {
  const char* p = SkipBlanks(text);
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  const char* start = p;
  int intDigits = 0;    // significant digits before the point
  int leadingZeros = 0; // zeros after the point before the first nonzero digit
  bool seenNonZero = false;
  int digits = 0;
  while (IsDigit(*p)) {
    if (*p != '0') seenNonZero = true;
    if (seenNonZero) ++intDigits;
    ++digits;
    ++p;
  }
  if (*p == '.') {
    ++p;
    while (IsDigit(*p)) {
      if (*p != '0') seenNonZero = true;
      else if (!seenNonZero) ++leadingZeros;
      ++digits;
      ++p;
    }
  }
  if (digits == 0) {
    SetEnd(end, text);
    return 0.0;
  }
  long long exponent = 0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    bool negativeExponent = false;
    if (*q == '+' || *q == '-') {
      negativeExponent = *q == '-';
      ++q;
    }
    if (IsDigit(*q)) {
      while (IsDigit(*q)) {
        if (exponent < 1000000) exponent = exponent * 10 + (*q - '0');
        ++q;
      }
      if (negativeExponent) exponent = -exponent;
      p = q;
    }
  }
  SetEnd(end, p);

  double value = 0.0;
  auto result = std::from_chars(start, p, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone out of range; give what strtod gives:
    // infinity on overflow, zero on underflow.
    long long magnitude = (intDigits > 0 ? intDigits : -leadingZeros) + exponent;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

std::uint32_t ReadHex32(const char* text, const char** end) {
  const char* p = SkipBlanks(text);
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // "0x" counts only when a hex digit follows; "0xg" reads as the number 0.
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigitValue(p[2]) >= 0) p += 2;
  if (HexDigitValue(*p) < 0) {
    SetEnd(end, text);
    return 0;
  }
  std::uint64_t value = 0;
  bool saturated = false;
  for (int d; (d = HexDigitValue(*p)) >= 0; ++p) {
    value = value * 16 + static_cast<unsigned>(d);
    if (value > 0xFFFFFFFFu) {
      saturated = true;
      value = 0xFFFFFFFFu;
    }
  }
  SetEnd(end, p);
  if (saturated) return 0xFFFFFFFFu;
  auto result = static_cast<std::uint32_t>(value);
  // As the runtime's unsigned conversion did, a minus sign negates modulo 2^32.
  return negative ? 0u - result : result;
}

std::int32_t ReadDecimalInt32(const char* text, const char** end) {
  const char* p = SkipBlanks(text);
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  if (!IsDigit(*p)) {
    SetEnd(end, text);
    return 0;
  }
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  std::int64_t value = 0;
  for (; IsDigit(*p); ++p) {
    value = value * 10 + (*p - '0');
    if (value > limit) value = limit;
  }
  SetEnd(end, p);
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t TruncateToInt32(double value) {
  constexpr double kLow = -2147483648.0;
  constexpr double kHigh = 4294967296.0;
  if (!(value > kLow - 1.0 && value < kHigh)) return std::numeric_limits<std::int32_t>::min();
  auto whole = static_cast<std::int64_t>(std::trunc(value));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}
