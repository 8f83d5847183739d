// Shift-JIS <-> UTF-8 through glibc's iconv. Invalid input never stops a
// conversion: a bad byte becomes a replacement and the rest still converts.
#include "platform/system/shift_jis.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <utility>

namespace {

// One iconv descriptor per direction and thread; iconv_t keeps shift state, so
// it must not be shared between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 sequence that starts with `c`, 1 for a stray byte, so a
// bad sequence is skipped one byte at a time.
std::size_t Utf8SequenceLength(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return 4;
  if (c >= 0xE0) return c <= 0xEF ? 3 : 1;
  if (c >= 0xC2) return 2;
  return 1;
}

// Converts `text`; on a byte sequence the target cannot take, appends
// `replacement`, skips `skip(byte)` bytes of input and counts it in
// `replaced` (may be null).
template <typename SkipFn>
std::string Convert(iconv_t cd, std::string_view text, std::string_view replacement, SkipFn skip,
                    std::size_t* replaced = nullptr) {
  std::string out;
  out.reserve(text.size() * 3 / 2 + 16);
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char buffer[512];
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  while (inLeft > 0) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof(buffer);
    std::size_t result = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (result != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ, or EINVAL for a sequence cut off by the end of the text.
    out.append(replacement);
    if (replaced != nullptr) ++*replaced;
    std::size_t n = skip(static_cast<unsigned char>(*in));
    if (n > inLeft) n = inLeft;
    in += n;
    inLeft -= n;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  char* dst = buffer;
  std::size_t dstLeft = sizeof(buffer);
  iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  out.append(buffer, static_cast<std::size_t>(dst - buffer));
  return out;
}

// Without a usable iconv, ASCII still passes and everything else is replaced,
// so a message is at least partly readable.
std::string AsciiOnly(std::string_view text, std::string_view replacement) {
  std::string out;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x80)
      out += c;
    else
      out.append(replacement);
  }
  return out;
}

Converter& FromShiftJis() {
  thread_local Converter converter("UTF-8", "CP932");
  return converter;
}

std::size_t SkipOneByte(unsigned char) { return 1; }

}  // namespace

std::string ShiftJisToUtf8(std::string_view text) {
  Converter& converter = FromShiftJis();
  if (!converter.ok()) return AsciiOnly(text, "\xEF\xBF\xBD");
  return Convert(converter.get(), text, "\xEF\xBF\xBD", SkipOneByte);
}

bool ShiftJisToUtf8Exact(std::string_view text, std::string& utf8) {
  Converter& converter = FromShiftJis();
  if (!converter.ok()) return false;
  std::size_t replaced = 0;
  std::string out = Convert(converter.get(), text, "", SkipOneByte, &replaced);
  if (replaced != 0) return false;
  utf8 = std::move(out);
  return true;
}

std::string Utf8ToShiftJis(std::string_view text) {
  thread_local Converter converter("CP932", "UTF-8");
  if (!converter.ok()) return AsciiOnly(text, "?");
  return Convert(converter.get(), text, "?", Utf8SequenceLength);
}
