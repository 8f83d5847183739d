// Script values: copying, texts, number strings and the number-to-text rule.
#include "script/value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void ScriptValue::ReleaseText() {
  DeleteScriptText(text);
  text = nullptr;
}

bool ScriptValue::Assign(const ScriptValue& other) {
  if (&other == this) return true;
  if (other.type == SVT_String) {
    // Copy before clearing: other may be this value's own text.
    char* copy = NewScriptText(other.text, std::strlen(other.text));
    Clear();
    type = SVT_String;
    text = copy;
    return true;
  }
  ScriptValue snapshot;
  snapshot.type = other.type;
  snapshot.memberRef = other.memberRef;
  Clear();
  type = snapshot.type;
  memberRef = snapshot.memberRef;
  snapshot.type = SVT_None;
  return true;
}

void ScriptValue::SetString(const char* source) { SetString(source, std::strlen(source)); }

void ScriptValue::SetString(const char* source, std::size_t length) {
  char* copy = NewScriptText(source, length);  // before Clear: source may be our own text
  Clear();
  type = SVT_String;
  text = copy;
}

void ScriptValue::TakeString(char* owned) {
  Clear();
  type = SVT_String;
  text = owned;
}

bool IsNumberString(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '+' || *p == '-') ++p;
  while (*p >= '0' && *p <= '9') ++p;
  if (*p == '.') {
    ++p;
    while (*p >= '0' && *p <= '9') ++p;
  }
  return *p == '\0';
}

std::string NumberToText(double value) {
  if (std::isnan(value)) return "-1.#IND";
  if (std::isinf(value)) return value > 0 ? "1.#INF" : "-1.#INF";
  if (value == 0) return "0";  // also -0: a sign on zero only confuses scripts
  // Whole numbers below 10^10 have at most 10 digits: the rule prints them as
  // they are, and this is the common case by far.
  if (value > -1e10 && value < 1e10 && value == static_cast<double>(static_cast<std::int64_t>(value))) {
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, static_cast<std::int64_t>(value));
    return std::string(digits, written.ptr);
  }

  // The exponent of the leading digit after rounding to 10 significant digits.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.9e", value);
  const char* e = std::strchr(buffer, 'e');
  int exponent = std::atoi(e + 1);

  std::string text;
  if (exponent >= -1 && exponent <= 9) {
    std::snprintf(buffer, sizeof buffer, "%.*f", 9 - exponent, value);
    text = buffer;
    if (text.find('.') != std::string::npos) {
      while (text.back() == '0') text.pop_back();
      if (text.back() == '.') text.pop_back();
    }
    return text;
  }
  std::string mantissa(buffer, e - buffer);
  while (mantissa.back() == '0') mantissa.pop_back();
  std::snprintf(buffer, sizeof buffer, "e%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return mantissa + buffer;
}
