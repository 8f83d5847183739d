// Re-encoding of text .x files as binary token streams, for the mesh tests
// and the load benchmark.
#include "xfile_text_to_binary.h"

#include <bit>
#include <cstring>
#include <span>

#include "platform/mesh/xfile_lexer.h"

namespace {

// Little-endian, as the binary encoding stores words (2 bytes) and dwords (4).
void Put(std::vector<std::uint8_t>* out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> TextToBinary(std::string_view text) {
  std::vector<std::uint8_t> out(text.begin(), text.begin() + 16);
  std::memcpy(out.data() + 8, "bin ", 4);
  const auto* body = reinterpret_cast<const std::uint8_t*>(text.data()) + 16;
  XFileLexer lexer(std::span<const std::uint8_t>(body, text.size() - 16), XFileEncoding::Text, 32);
  std::vector<std::uint32_t> run;  // the bits of the numbers of the current list
  bool runFloats = false;
  auto flush = [&]() {
    if (run.empty()) return;
    Put(&out, runFloats ? 7 : 6, 2);
    Put(&out, static_cast<std::uint32_t>(run.size()), 4);
    for (std::uint32_t v : run) Put(&out, v, 4);
    run.clear();
  };
  bool afterString = false;
  for (const XToken* next; (next = lexer.Next()) && next->kind != XTokenKind::End;) {
    const XToken& token = *next;
    if (token.kind == XTokenKind::Number) {
      if (!run.empty() && token.integral == runFloats) flush();
      runFloats = !token.integral;
      const auto integer = static_cast<std::uint32_t>(token.integer);
      run.push_back(runFloats ? std::bit_cast<std::uint32_t>(static_cast<float>(token.number))
                              : token.negative ? 0u - integer : integer);
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
    if (const std::uint16_t code = kCodes[static_cast<int>(token.kind)]) Put(&out, code, 2);
    if (token.kind == XTokenKind::Name || token.kind == XTokenKind::String) {
      Put(&out, static_cast<std::uint32_t>(token.text.size()), 4);
      out.insert(out.end(), token.text.begin(), token.text.end());
    } else if (token.kind == XTokenKind::Guid) {
      for (int i = 0; i < 16; ++i) out.push_back(static_cast<std::uint8_t>(i));
    }
    afterString = token.kind == XTokenKind::String;
  }
  flush();
  return out;
}
