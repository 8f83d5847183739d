// The checked formatter behind Math.Format1/2/3 and Math.FormatTime.
#include "classes/number_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/system/numbers.h"
#include "platform/system/safe_string.h"

namespace {

struct Conversion {
  bool left = false;
  bool zero = false;
  char sign = 0;         // '+', ' ' or 0
  bool alternate = false;
  int width = 0;
  int precision = -1;    // -1: none given
  char type = 'f';
};

// Reads at most two digits; false when a third follows.
bool ReadSmallNumber(const std::string& format, std::size_t& i, int& value) {
  value = 0;
  int digits = 0;
  while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
    if (++digits > 2) return false;
    value = value * 10 + (format[i++] - '0');
  }
  return true;
}

bool ParseConversion(const std::string& format, std::size_t& i, Conversion& c) {
  for (; i < format.size(); ++i) {
    const char f = format[i];
    if (f == '-') c.left = true;
    else if (f == '0') c.zero = true;
    else if (f == '+') c.sign = '+';
    else if (f == ' ') c.sign = c.sign ? c.sign : ' ';
    else if (f == '#') c.alternate = true;
    else break;
  }
  if (!ReadSmallNumber(format, i, c.width)) return false;
  if (i < format.size() && format[i] == '.') {
    ++i;
    if (!ReadSmallNumber(format, i, c.precision)) return false;
  }
  if (i < format.size() && format[i] == 'l') ++i;
  if (i >= format.size() || !std::strchr("feEgG", format[i])) return false;
  c.type = format[i++];
  return true;
}

// The original runtime printed at least three exponent digits: "1e+05" there
// was "1e+005".
void WidenExponent(std::string& text) {
  const std::size_t e = text.find_first_of("eE");
  if (e == std::string::npos || e + 1 >= text.size()) return;
  std::size_t digits = e + 1;
  if (text[digits] == '+' || text[digits] == '-') ++digits;
  const std::size_t count = text.size() - digits;
  if (count < 3) text.insert(digits, 3 - count, '0');
}

std::string FormatOne(const Conversion& c, double value) {
  // Printed without the width first, so that the exponent can be widened
  // before the padding is measured.
  char conversion[16];
  std::size_t n = 0;
  conversion[n++] = '%';
  if (c.sign) conversion[n++] = c.sign;
  if (c.alternate) conversion[n++] = '#';
  conversion[n++] = '.';
  conversion[n] = 0;
  const int precision = c.precision < 0 ? 6 : c.precision;
  std::snprintf(conversion + n, sizeof conversion - n, "%d%c", precision, c.type);
  const int size = std::snprintf(nullptr, 0, conversion, value);
  std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  if (size > 0) std::snprintf(text.data(), text.size() + 1, conversion, value);
  if (c.type != 'f') WidenExponent(text);

  const std::size_t width = static_cast<std::size_t>(c.width);
  if (text.size() >= width) return text;
  const std::size_t pad = width - text.size();
  // Zeros never pad "inf" or "nan".
  const bool finite = std::isfinite(value);
  if (c.left) return text + std::string(pad, ' ');
  if (c.zero && finite) {
    const std::size_t at = (text[0] == '-' || text[0] == '+' || text[0] == ' ') ? 1 : 0;
    text.insert(at, pad, '0');
    return text;
  }
  return std::string(pad, ' ') + text;
}

}  // namespace

bool FormatNumbers(const std::string& format, const double* values, int count, std::size_t limit,
                   std::string& out) {
  std::string text;
  int next = 0;
  for (std::size_t i = 0; i < format.size();) {
    if (format[i] != '%') {
      text += format[i++];
      continue;
    }
    ++i;
    if (i < format.size() && format[i] == '%') {
      text += '%';
      ++i;
      continue;
    }
    Conversion c;
    if (!ParseConversion(format, i, c) || next >= count) return false;
    text += FormatOne(c, values[next++]);
  }
  std::vector<char> bounded(limit + 1);
  SafeStrCopy(bounded.data(), text.c_str(), bounded.size());
  out = bounded.data();
  return true;
}

std::string FormatTime(double seconds) {
  const std::int64_t n = TruncateToInt32(seconds);
  const std::int64_t magnitude = n < 0 ? -n : n;
  char text[32];
  std::snprintf(text, sizeof text, "%c%lld:%02lld", n < 0 ? '-' : ' ', static_cast<long long>(magnitude / 60),
                static_cast<long long>(magnitude % 60));
  return text;
}
