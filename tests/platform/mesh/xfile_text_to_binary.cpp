// Re-encoding of text .x files as binary token streams, for the mesh tests
// and the load benchmark.
#include "xfile_text_to_binary.h"

#include <cstring>
#include <span>

#include "platform/mesh/xfile_lexer.h"

namespace {

void PutWord(std::vector<std::uint8_t>* out, std::uint16_t v) {
  out->push_back(static_cast<std::uint8_t>(v));
  out->push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutDword(std::vector<std::uint8_t>* out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> TextToBinary(std::string_view text) {
  std::vector<std::uint8_t> out(text.begin(), text.begin() + 16);
  std::memcpy(out.data() + 8, "bin ", 4);
  const auto* body = reinterpret_cast<const std::uint8_t*>(text.data()) + 16;
  XFileLexer lexer(std::span<const std::uint8_t>(body, text.size() - 16), XFileEncoding::Text, 32);
  std::vector<double> run;
  bool runFloats = false;
  auto flush = [&]() {
    if (run.empty()) return;
    PutWord(&out, runFloats ? 7 : 6);
    PutDword(&out, static_cast<std::uint32_t>(run.size()));
    for (double v : run) {
      if (runFloats) {
        float f = static_cast<float>(v);
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        PutDword(&out, bits);
      } else {
        PutDword(&out, static_cast<std::uint32_t>(static_cast<std::int64_t>(v)));
      }
    }
    run.clear();
  };
  bool afterString = false;
  for (const XToken* next; (next = lexer.Next()) && next->kind != XTokenKind::End;) {
    const XToken& token = *next;
    if (token.kind == XTokenKind::Number) {
      const bool isFloat = !token.integral;
      if (!run.empty() && isFloat != runFloats) flush();
      runFloats = isFloat;
      const double magnitude = static_cast<double>(token.integer);
      run.push_back(isFloat ? token.number : (token.negative ? -magnitude : magnitude));
      afterString = false;
      continue;
    }
    // Separators between numbers of one list vanish, as binary writers do.
    if ((token.kind == XTokenKind::Comma || token.kind == XTokenKind::Semicolon) && !afterString) {
      continue;
    }
    flush();
    // The binary token code of each kind, in XTokenKind order; 0 for kinds with none.
    static constexpr std::uint16_t kCodes[] = {0, 1, 2, 0, 5, 10, 11, 14, 15, 0, 0, 0, 0, 19, 20, 18, 31, 0};
    if (const std::uint16_t code = kCodes[static_cast<int>(token.kind)]) PutWord(&out, code);
    if (token.kind == XTokenKind::Name || token.kind == XTokenKind::String) {
      PutDword(&out, static_cast<std::uint32_t>(token.text.size()));
      out.insert(out.end(), token.text.begin(), token.text.end());
    } else if (token.kind == XTokenKind::Guid) {
      for (int i = 0; i < 16; ++i) out.push_back(static_cast<std::uint8_t>(i));
    }
    afterString = token.kind == XTokenKind::String;
  }
  flush();
  return out;
}
