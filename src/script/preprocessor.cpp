// The script preprocessor: one pass over the tokens, comments dropped, blanks
// kept as spaces, #define names replaced and #include files inserted.
#include "script/preprocessor.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/system/content_path.h"
#include "platform/system/shift_jis.h"
#include "script/errors.h"
#include "script/script_attention.h"
#include "script/tokenizer.h"

namespace {

constexpr std::size_t kMaxNameLength = 63;
constexpr std::size_t kMaxValueLength = 255;
const std::string kSizeBound = std::to_string(kMaxPreprocessedSize >> 20) + " MiB";

// The text cut to at most `limit` bytes without splitting a double-byte
// character, as the fixed-size rows of the original kept it.
std::string CutText(std::string_view text, std::size_t limit) {
  std::size_t n = 0;
  while (n < text.size()) {
    std::size_t width =
        (IsShiftJisLeadByte(static_cast<unsigned char>(text[n])) && n + 1 < text.size()) ? 2 : 1;
    if (n + width > limit) break;
    n += width;
  }
  return std::string(text.substr(0, n));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsWord(TokenKind kind) {
  return kind == TokenKind::Digit || kind == TokenKind::Hex || kind == TokenKind::String;
}

bool IsLineEnd(TokenKind kind) { return kind == TokenKind::CR || kind == TokenKind::LF; }

// A "//" comment runs up to, not including, the line feed; double-byte
// characters are stepped over whole, but never past the terminator.
const char* SkipComment(const char* p) {
  p += 2;
  while (*p != '\0' && *p != '\n') {
    p += (IsShiftJisLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') ? 2 : 1;
  }
  return p;
}

struct Token {
  TokenKind kind;
  std::string_view text;  // the source bytes of the token
};

// The next token after blanks and comments.
Token NextToken(const char*& p, char* out, bool quoted) {
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (p[0] == '/' && p[1] == '/') {
      p = SkipComment(p);
      continue;
    }
    break;
  }
  const char* start = p;
  TokenKind kind = ReadToken(&p, out, quoted, false);
  return {kind, std::string_view(start, static_cast<std::size_t>(p - start))};
}

// The definition rows with an index by name. Rows are only ever added.
class DefinitionTable {
 public:
  explicit DefinitionTable(std::vector<PreprocessorDefinition>& rows) : rows_(rows) {
    for (std::size_t i = 0; i < rows_.size(); ++i) index_.emplace(rows_[i].name, i);
  }

  void Define(std::string_view name, std::string_view value) {
    std::string key = CutText(name, kMaxNameLength);
    std::string text = CutText(value, kMaxValueLength);
    auto found = index_.find(key);
    if (found != index_.end()) {
      rows_[found->second].value = std::move(text);
      return;
    }
    index_.emplace(key, rows_.size());
    rows_.push_back({std::move(key), std::move(text)});
  }

  const std::string* Find(std::string_view word) const {
    auto found = index_.find(std::string(word));
    return found != index_.end() ? &rows_[found->second].value : nullptr;
  }

 private:
  std::vector<PreprocessorDefinition>& rows_;
  std::unordered_map<std::string, std::size_t> index_;
};

class Preprocessor {
 public:
  Preprocessor(const std::vector<std::string>& folders, std::vector<PreprocessorDefinition>& rows,
               const ScriptFileReader& reader, std::string& output, SourceLines* lines, ScriptAttention* attention)
      : folders_(folders), definitions_(rows), reader_(reader), output_(output), lines_(lines),
        attention_(attention) {}

  // Preprocesses one file's text (file: its index in SourceLines::files).
  bool Run(const char* text, int depth, int file) {
    const char* p = text;
    const char* counted = text;  // character 10s are counted up to here
    SourceLines::Place place{file, 1};
    for (;;) {
      // Trail bytes of double-byte characters are never 10: counting bytes
      // counts the lines an editor shows.
      for (; counted < p; ++counted)
        if (*counted == '\n') ++place.line;
      NoteStretch(place);
      if (output_.size() > kMaxPreprocessedSize)
        return Fail(place, {}, "not compiled: the script with its includes and definitions passes " + kSizeBound);
      if (attention_ && attention_->StopRequested()) throw ERR_USER_STOP;
      if (IsBlank(*p)) {
        output_ += ' ';
        ++p;
        continue;
      }
      if (p[0] == '/' && p[1] == '/') {
        p = SkipComment(p);
        continue;
      }
      const char* start = p;
      TokenKind kind = ReadToken(&p, nullptr, false, false);
      std::string_view token(start, static_cast<std::size_t>(p - start));
      if (kind == TokenKind::None) return true;
      if (!IsWord(kind)) {
        output_ += token;
        continue;
      }
      TokenKind directive = LookupReservedWord(std::string(token).c_str());
      if (directive == TokenKind::PpDefine) {
        Define(p);
      } else if (directive == TokenKind::PpInclude) {
        if (!Include(p, depth, place)) return false;
      } else if (directive >= TokenKind::PpDefine && directive <= TokenKind::PpUndef) {
        DropLine(p, false);
      } else if (const std::string* value = definitions_.Find(token)) {
        // The value is inserted as it stands, never scanned again.
        output_ += *value;
      } else {
        output_ += token;
      }
    }
  }

 private:
  // Drops the rest of a directive's line with its line end (unless that was
  // already read), then one line feed and one carriage return that follow.
  void DropLine(const char*& p, bool lineEndRead) {
    while (!lineEndRead) {
      TokenKind kind = NextToken(p, nullptr, false).kind;
      if (kind == TokenKind::None) return;
      lineEndRead = IsLineEnd(kind);
    }
    for (char c : {'\n', '\r'}) {
      const char* q = p;
      while (IsBlank(*q)) ++q;
      if (*q == c) p = q + 1;
    }
  }

  // "#define NAME VALUE": the value is one token. A line end (or the end of
  // the text) in place of the name or the value ends the directive there, so
  // "#define NAME" defines NAME as empty and leaves the next line alone.
  void Define(const char*& p) {
    Token name = NextToken(p, nullptr, false);
    if (name.kind == TokenKind::None) return;
    if (IsLineEnd(name.kind)) {
      DropLine(p, true);
      return;
    }
    Token value = NextToken(p, nullptr, false);
    bool valueIsLineEnd = value.kind == TokenKind::None || IsLineEnd(value.kind);
    definitions_.Define(name.text, valueIsLineEnd ? std::string_view() : value.text);
    if (value.kind == TokenKind::None) return;
    DropLine(p, valueIsLineEnd);
  }

  // "#include NAME" standing at `place`: the included file's output takes the
  // place of the directive; the rest of its line stays.
  bool Include(const char*& p, int depth, const SourceLines::Place& place) {
    char name[kTokenBufferSize];
    Token token = NextToken(p, name, true);
    if (token.kind == TokenKind::None || IsLineEnd(token.kind) || name[0] == '\0')
      return Fail(place);
    // A file that includes itself, directly or in a cycle, ends here.
    if (depth + 1 > kMaxIncludeDepth)
      return Refuse(place, name, "includes nest at most " + std::to_string(kMaxIncludeDepth) + " deep");
    // So do files that include each other many times over, however shallow.
    if (++includes_ > kMaxIncludes)
      return Refuse(place, name, "a script includes at most " + std::to_string(kMaxIncludes) + " files");
    const std::size_t used = std::max(output_.size(), read_);
    const std::size_t left = used < kMaxPreprocessedSize ? kMaxPreprocessedSize - used : 0;
    std::string source;
    for (const std::string& folder : folders_) {
      std::string path = folder + name;
      const ScriptFileRead read = ReadScriptFile(reader_, path, left, source);
      if (read == ScriptFileRead::Missing) continue;
      if (read == ScriptFileRead::TooLarge)
        return Refuse(place, name, "the script with its includes would pass " + kSizeBound);
      read_ += source.size();
      int file = 0;
      if (lines_) {
        file = static_cast<int>(lines_->files.size());
        lines_->files.push_back(std::move(path));
      }
      return Run(source.c_str(), depth + 1, file);
    }
    return Fail(place, name);
  }

  // From here on the output comes from `place`.
  void NoteStretch(const SourceLines::Place& place) {
    if (!lines_) return;
    std::vector<SourceLines::Stretch>& stretches = lines_->stretches;
    if (!stretches.empty()) {
      SourceLines::Stretch& last = stretches.back();
      if (last.place.file == place.file && last.place.line == place.line) return;
      if (last.offset == output_.size()) {  // nothing came of the last one
        last.place = place;
        return;
      }
    }
    stretches.push_back({output_.size(), place});
  }

  // The first failure ends the preprocessing: every caller returns at once.
  // `reason` names the bound met; empty for an include that is not there.
  bool Fail(const SourceLines::Place& place, std::string_view include = {}, std::string reason = {}) {
    if (lines_) {
      lines_->fault = place;
      lines_->faultInclude = include;
      lines_->faultReason = std::move(reason);
    }
    return false;
  }

  // An include that would take the preprocessing past `bound`.
  bool Refuse(const SourceLines::Place& place, std::string_view include, const std::string& bound) {
    return Fail(place, include, "\"" + std::string(include) + "\" not included: " + bound);
  }

  const std::vector<std::string>& folders_;
  DefinitionTable definitions_;
  const ScriptFileReader& reader_;
  std::string& output_;
  SourceLines* lines_;
  ScriptAttention* attention_;
  int includes_ = 0;
  std::size_t read_ = 0;  // the bytes of the files included so far
};

}  // namespace

ScriptFileRead ReadScriptFile(const ScriptFileReader& reader, const std::string& path, std::uint64_t limit,
                              std::string& out) {
  if (reader) return reader(path, limit, out);
  // An include is a content name like any other: the one disk lookup keeps a
  // second byte 0x5C inside its character, finds the UTF-8 form of a name and
  // any letter case, and opens without blocking on what is no regular file.
  std::uint64_t size = 0;
  FilePtr file = OpenContentFile(path, &size);
  if (!file) return ScriptFileRead::Missing;
  if (size > limit) return ScriptFileRead::TooLarge;
  // The size the open gave: a file that grows meanwhile is read as it was.
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return ScriptFileRead::Missing;
  out = std::move(bytes);
  return ScriptFileRead::Read;
}

SourceLines::Place SourceLines::At(std::size_t offset) const {
  auto after = std::upper_bound(stretches.begin(), stretches.end(), offset,
                                [](std::size_t at, const Stretch& stretch) { return at < stretch.offset; });
  return after == stretches.begin() ? Place{} : std::prev(after)->place;
}

bool Preprocess(const char* text, std::string& output, const std::vector<std::string>& includeFolders,
                std::vector<PreprocessorDefinition>& definitions, const ScriptFileReader& reader,
                SourceLines* lines, ScriptAttention* attention) {
  output.clear();
  if (text == nullptr) return true;
  Preprocessor preprocessor(includeFolders, definitions, reader, output, lines, attention);
  return preprocessor.Run(text, 0, 0);
}
