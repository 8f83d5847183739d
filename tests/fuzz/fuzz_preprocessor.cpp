// Preprocessor and lexer over arbitrary text: Preprocess and the map of its
// output's lines, every ReadToken mode, the expression readers and
// FindBlockEnd over the input and its output.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "script/preprocessor.h"
#include "script/tokenizer.h"

namespace {

std::string g_input;

// Never the disk: an include named "self" gets the input itself (so nesting
// and cycles are exercised), every other name is missing.
ScriptFileRead ReadFromMemory(const std::string& path, std::uint64_t limit, std::string& out) {
  if (path != "self") return ScriptFileRead::Missing;
  if (g_input.size() > limit) return ScriptFileRead::TooLarge;
  out = g_input;
  return ScriptFileRead::Read;
}

void LexAll(const char* text) {
  char out[kTokenBufferSize];
  for (int mode = 0; mode < 4; ++mode) {
    const char* pos = text;
    while (ReadToken(&pos, out, (mode & 1) != 0, (mode & 2) != 0) != TokenKind::None) {
    }
  }
  for (const char* pos = text; *pos != '\0'; ++pos) {
    const char* p = pos;
    int value = 0;
    ReadIntExpression(&p, &value, true);
    p = pos;
    float number = 0.0f;
    EvalFloatExpression(&p, &number, true);
    ClassifyChar(pos);
  }
}

void SplitFunctions(const char* text) {
  for (;;) {
    std::size_t length = FindBlockEnd(text);
    if (length == 0) break;
    text += length;
  }
}

}  // namespace

T3D_FUZZ_TARGET(data, size) {
  g_input = FuzzText(data, size);
  const char* text = g_input.c_str();

  std::string output;
  std::vector<PreprocessorDefinition> definitions;
  SourceLines lines;
  Preprocess(text, output, {""}, definitions, ReadFromMemory, &lines);
  // The map back to the files: stretches in order within the output, each
  // naming a file it has and a line in it.
  for (std::size_t i = 0; i < lines.stretches.size(); ++i) {
    const SourceLines::Stretch& stretch = lines.stretches[i];
    if (stretch.offset > output.size() || (i > 0 && stretch.offset <= lines.stretches[i - 1].offset) ||
        stretch.place.file < 0 || static_cast<std::size_t>(stretch.place.file) >= lines.files.size() ||
        stretch.place.line < 1)
      std::abort();
  }

  LexAll(text);
  SplitFunctions(text);
  SplitFunctions(output.c_str());
  AllCharsInClass(text, kClassLower | kClassDigit);
  return 0;
}
