// Text of a written .x file: the few printf conversions the writer uses, with
// lines ending in "\r\n" as text mode wrote them on the original system, so a
// converted file has the same bytes everywhere. Used by the .x writer.
#pragma once

#include <cstddef>
#include <string>

// Appends the value as printf's "%0.5f" prints it (the float widened to
// double, rounded to nearest with ties to even, the sign of a negative zero
// kept), without printf's cost for the common case.
void AppendFixed5(std::string& out, float value);

class XText {
 public:
  // Appends the format with its arguments in order. Conversions: "%s"
  // (const char* or std::string), "%d" (int), "%c" (char), "%0.5f" and "%05f"
  // (float); "\n" becomes "\r\n".
  template <typename... Args>
  void Put(const char* format, const Args&... args) {
    const Arg list[sizeof...(args) + 1] = {Arg(args)...};
    Format(format, list, sizeof...(args));
  }

  std::string& Text() { return text_; }

 private:
  struct Arg {
    enum class Kind { Int, Float, Char, Text } kind;
    int i = 0;
    float f = 0;
    const char* s = nullptr;
    std::size_t length = 0;
    Arg() : kind(Kind::Int) {}
    Arg(int value) : kind(Kind::Int), i(value) {}
    Arg(float value) : kind(Kind::Float), f(value) {}
    Arg(char value) : kind(Kind::Char), i(value) {}
    Arg(const char* value);
    Arg(const std::string& value) : kind(Kind::Text), s(value.data()), length(value.size()) {}
  };

  void Format(const char* format, const Arg* args, std::size_t count);

  std::string text_;
};
