// The writer's printf: fixed conversions over a growing text, numbers of five
// decimals exact to the last digit without going through printf.
#include "converter/x_text.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Below this size a float times 100000 is an integer of fewer than 63 bits.
constexpr float kFastLimit = 1e13f;

void AppendInt(std::string& out, long long value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void AppendPrintf(std::string& out, const char* format, double value) {
  char text[400];  // the largest double in "%f" has 309 digits before the point
  const int length = std::snprintf(text, sizeof text, format, value);
  if (length > 0) out.append(text, std::min(static_cast<std::size_t>(length), sizeof text - 1));
}

}  // namespace

void AppendFixed5(std::string& out, float value) {
  if (!std::isfinite(value) || !(std::fabs(value) < kFastLimit)) {
    AppendPrintf(out, "%0.5f", value);
    return;
  }
  // |value| = mantissa x 2^exponent exactly, the mantissa an integer of 24 bits.
  int exponent = 0;
  const float fraction = std::frexp(std::fabs(value), &exponent);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 24));
  exponent -= 24;
  const std::uint64_t scaled = mantissa * 100000u;  // below 2^41
  std::uint64_t units = 0;                          // of 0.00001
  if (exponent >= 0) {
    units = scaled << exponent;
  } else if (exponent > -64) {
    const int shift = -exponent;
    units = scaled >> shift;
    const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (rest > half || (rest == half && (units & 1) != 0)) ++units;
  }  // else far below half a unit: 0
  if (std::signbit(value)) out += '-';
  AppendInt(out, static_cast<long long>(units / 100000u));
  char decimals[6];
  std::uint64_t rest = units % 100000u;
  for (int i = 4; i >= 0; --i, rest /= 10) decimals[i] = static_cast<char>('0' + rest % 10);
  out += '.';
  out.append(decimals, 5);
}

XText::Arg::Arg(const char* value) : kind(Kind::Text), s(value), length(std::strlen(value)) {}

void XText::Format(const char* format, const Arg* args, std::size_t count) {
  std::size_t next = 0;
  auto take = [&](Arg::Kind kind) -> const Arg& {
    assert(next < count && args[next].kind == kind);
    (void)count;
    (void)kind;
    return args[next++];
  };
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p == '\n') {
      text_ += "\r\n";
    } else if (*p != '%') {
      text_ += *p;
    } else if (std::strncmp(p, "%s", 2) == 0) {
      const Arg& arg = take(Arg::Kind::Text);
      text_.append(arg.s, arg.length);
      p += 1;
    } else if (std::strncmp(p, "%d", 2) == 0) {
      AppendInt(text_, take(Arg::Kind::Int).i);
      p += 1;
    } else if (std::strncmp(p, "%c", 2) == 0) {
      text_ += static_cast<char>(take(Arg::Kind::Char).i);
      p += 1;
    } else if (std::strncmp(p, "%0.5f", 5) == 0) {
      AppendFixed5(text_, take(Arg::Kind::Float).f);
      p += 4;
    } else if (std::strncmp(p, "%05f", 4) == 0) {
      AppendPrintf(text_, "%05f", take(Arg::Kind::Float).f);
      p += 3;
    } else {
      assert(false && "conversion the writer does not use");
    }
  }
  assert(next == count);
}
