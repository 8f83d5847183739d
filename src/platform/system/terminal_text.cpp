// Content's names on standard error. A downloaded game is untrusted: an ESC in
// a file name would drive the terminal, a line feed would forge a second line,
// a right-to-left override would turn the rest of the line around. So every
// control, and every character that reorders the line, is shown as text, and
// what reaches the terminal is UTF-8, whatever encoding the name came in.
#include "platform/system/terminal_text.h"

#include <cstddef>

#include "platform/system/shift_jis.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHexByte(std::string& out, unsigned char c) {
  out += kHexDigits[c >> 4];
  out += kHexDigits[c & 0xF];
}

// The length of the well-formed UTF-8 character at `i`, 0 when none starts
// there: overlong forms, surrogates and code points past U+10FFFF are no
// characters, so they cannot smuggle a control byte past the escaping.
std::size_t Utf8CharacterLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  // Only the second byte has a range of its own; the rest are any continuation.
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char c = byte(i + k);
    if (c < low || c > high) return 0;
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8CharacterLength(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

// The code point of the well-formed character of `length` bytes at `i`.
char32_t CodePointAt(std::string_view text, std::size_t i, std::size_t length) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t code = byte(0) & kLeadBits[length];
  for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (byte(k) & 0x3F);
  return code;
}

// Characters a terminal acts on rather than shows. The C1 controls: some
// terminals take U+009B as the start of a control sequence, as they take
// ESC [. The marks, embeddings, overrides and isolates that change the
// display order: after a U+202E the rest of the line reads backwards, so a
// name could make the line say something else than it does.
bool IsTerminalControl(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

void AppendCodePointEscape(std::string& out, char32_t c) {
  out += "\\u";
  AppendHexByte(out, static_cast<unsigned char>(c >> 8));
  AppendHexByte(out, static_cast<unsigned char>(c & 0xFF));
}

// Backslashes stay as they are: content names use them as separators.
std::string EscapeControls(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x80) {
      const std::size_t length = Utf8CharacterLength(utf8, i);
      if (length == 0) {
        out += "\\x";
        AppendHexByte(out, c);
        ++i;
      } else {
        const char32_t code = CodePointAt(utf8, i, length);
        if (IsTerminalControl(code)) {
          AppendCodePointEscape(out, code);
        } else {
          out.append(utf8.substr(i, length));
        }
        i += length;
      }
      continue;
    }
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      AppendHexByte(out, c);
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  return out;
}

// One component of a disk name: as it stands when it is UTF-8, converted when
// it is a Shift-JIS name left unconverted by the unpacker, else byte by byte.
void AppendDiskComponent(std::string_view component, std::string& out) {
  std::string utf8;
  if (IsUtf8(component)) {
    out.append(component);
  } else if (ShiftJisToUtf8Exact(component, utf8)) {
    out += utf8;
  } else {
    for (std::size_t i = 0; i < component.size();) {
      const std::size_t length = Utf8CharacterLength(component, i);
      if (length != 0) {
        out.append(component.substr(i, length));
        i += length;
      } else {
        out += "\\x";
        AppendHexByte(out, static_cast<unsigned char>(component[i]));
        ++i;
      }
    }
  }
}

}  // namespace

std::string ContentTextForTerminal(std::string_view shiftJis) { return EscapeControls(ShiftJisToUtf8(shiftJis)); }

std::string DiskTextForTerminal(std::string_view bytes) {
  std::string shown;
  shown.reserve(bytes.size());
  for (std::size_t start = 0;;) {
    const std::size_t slash = bytes.find('/', start);
    const std::size_t end = slash == std::string_view::npos ? bytes.size() : slash;
    AppendDiskComponent(bytes.substr(start, end - start), shown);
    if (slash == std::string_view::npos) break;
    shown += '/';
    start = slash + 1;
  }
  return EscapeControls(shown);
}
