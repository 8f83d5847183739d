// The line reader: raw and expanding line splitting, macros, the definition
// table and the directives. Every scan stops at the text's NUL, even right
// after a lead byte.
#include "files/line_reader.h"

#include <charconv>
#include <cstring>

#include "files/text_scan.h"
#include "platform/system/content_path.h"
#include "platform/system/numbers.h"
#include "platform/system/shift_jis.h"
#include "script/tokenizer.h"

namespace {

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// A name or value as the table keeps it: at most 31 characters, never half a
// double-byte character.
std::string_view KeptText(std::string_view text) {
  return text.substr(0, WholeCharPrefix(text, kLineDefinitionTextSize - 1));
}

void StoreKept(char* out, std::string_view text) {
  std::string_view kept = KeptText(text);
  std::memcpy(out, kept.data(), kept.size());
  std::memset(out + kept.size(), 0, kLineDefinitionTextSize - kept.size());
}

// Builds the expanded line; once a character does not fit, nothing more is
// added, so a cut line is a prefix of the full one.
class LineBuilder {
 public:
  explicit LineBuilder(std::array<char, kLineCapacity>& line) : line_(line) { line_[0] = '\0'; }
  void Append(const char* p, std::size_t n) {
    if (full_) return;
    if (length_ + n > kLineCapacity - 1) {
      full_ = true;
      return;
    }
    std::memcpy(line_.data() + length_, p, n);
    length_ += n;
    line_[length_] = '\0';
  }
  void AppendText(const char* text) {
    while (*text != '\0') {
      std::size_t width = CharWidthAt(text);
      Append(text, width);
      text += width;
    }
  }
  bool IsBlank() const {
    for (std::size_t i = 0; i < length_; ++i)
      if (line_[i] != ' ' && line_[i] != '\t') return false;
    return true;
  }

 private:
  std::array<char, kLineCapacity>& line_;
  std::size_t length_ = 0;
  bool full_ = false;
};

// Steps over characters up to (not including) one of `stops` or the end.
const char* SkipUntil(const char* p, const char* stops) {
  while (*p != '\0' && std::strchr(stops, *p) == nullptr) p += CharWidthAt(p);
  return p;
}

// A directive's NAME: a plain word, not a quoted text or a number.
bool ReadName(const char** p, char* out) {
  return ExpectToken(p, TokenKind::String, out, false, false);
}

}  // namespace

LineReader::LineReader() : fileSource_([](const std::string& path, FileData& out) { return LoadFile(path, out); }) {}

LineReader::~LineReader() = default;

void LineReader::SetFileSource(FileSource source) {
  if (source) fileSource_ = std::move(source);
}

bool LineReader::Open(std::string_view path) {
  Close();
  FileData data;
  const std::string name(path);
  if (!fileSource_(name, data) || data.empty()) return false;
  owned_ = std::move(data);
  if (!SetText(owned_.data())) return false;
  path_ = name;
  return true;
}

bool LineReader::SetText(const char* text) {
  // Close releases an owned text, which is the one handed in here by Open.
  if (text == nullptr || text != owned_.data()) Close();
  if (text == nullptr) return false;
  text_ = text;
  pos_ = text;
  line_[0] = '\0';
  lineNumber_ = 0;
  nextLineNumber_ = 1;
  definitions_.clear();
  hasTable_ = true;
  path_.clear();
  includeFailed_ = false;
  return true;
}

void LineReader::Close() {
  owned_.Clear();
  text_ = nullptr;
  pos_ = nullptr;
  line_[0] = '\0';
  lineNumber_ = 0;
  nextLineNumber_ = 1;
  definitions_.clear();
  definitions_.shrink_to_fit();
  hasTable_ = false;
  path_.clear();
}

std::size_t LineReader::ScanLineEnd(const char* p) const {
  const char* end = p;
  while (*end != '\0' && !IsLineBreak(*end)) end += CharWidthAt(end);
  return static_cast<std::size_t>(end - p);
}

void LineReader::SkipLineBreaks() {
  while (IsLineBreak(*pos_)) {
    // CR LF, a lone CR and a lone LF each end one source line.
    if (pos_[0] == '\r' && pos_[1] == '\n') ++pos_;
    ++pos_;
    ++nextLineNumber_;
  }
}

bool LineReader::ReadRawLine(std::string_view& line) {
  if (text_ == nullptr) return false;
  while (*pos_ != '\0') {
    lineNumber_ = nextLineNumber_;
    const char* start = pos_;
    pos_ += ScanLineEnd(pos_);
    line = std::string_view(start, static_cast<std::size_t>(pos_ - start));
    SkipLineBreaks();
    if (line.empty()) continue;
    std::size_t kept = WholeCharPrefix(line, kLineCapacity - 1);
    std::memcpy(line_.data(), line.data(), kept);
    line_[kept] = '\0';
    return true;
  }
  return false;
}

bool LineReader::ReadLine(bool expand) {
  if (expand) return ReadExpandedLine();
  std::string_view line;
  return ReadRawLine(line);
}

bool LineReader::ReadExpandedLine() {
  if (text_ == nullptr) return false;
  while (*pos_ != '\0') {
    lineNumber_ = nextLineNumber_;
    const char* p = pos_;
    while (*p == ' ' || *p == '\t') ++p;
    LineBuilder builder(line_);
    if (p[0] == '/' && p[1] == '/') {
      p += ScanLineEnd(p);
    } else {
      while (*p != '\0' && !IsLineBreak(*p)) {
        if (p[0] != '$' || p[1] != '(') {
          std::size_t width = CharWidthAt(p);
          builder.Append(p, width);
          p += width;
          continue;
        }
        p += 2;
        const char* nameEnd = SkipUntil(p, "),\r\n");
        const char* value = FindDefinition(std::string_view(p, static_cast<std::size_t>(nameEnd - p)));
        p = nameEnd;
        if (value != nullptr) {
          builder.AppendText(value);
        } else if (*p == ',') {
          const char* defaultStart = ++p;
          p = SkipUntil(p, ")\r\n");
          for (const char* q = defaultStart; q < p; q += CharWidthAt(q)) builder.Append(q, CharWidthAt(q));
        }
        p = SkipUntil(p, ")\r\n");
        if (*p == ')') ++p;
      }
    }
    pos_ = p;
    SkipLineBreaks();
    if (!builder.IsBlank() && OnDirective(line_.data())) return true;
  }
  line_[0] = '\0';
  return false;
}

bool LineReader::OnDirective(const char* line) {
  if (line == nullptr || line[0] != '#') return true;
  const char* p = line;
  char word[kTokenBufferSize];
  char name[kTokenBufferSize];
  char operand[kTokenBufferSize];
  ReadToken(&p, word, true, false);
  if (std::strcmp(word, "#define") == 0) {
    if (ReadName(&p, name) && ReadToken(&p, operand, true, false) != TokenKind::None) Define(name, operand);
  } else if (std::strcmp(word, "#set") == 0) {
    int value = 0;
    if (ReadName(&p, name) && ReadIntExpression(&p, &value, true)) SetNumber(name, value);
  } else if (std::strcmp(word, "#add") == 0) {
    int current = 0;
    int value = 0;
    if (ReadName(&p, name) && GetNumber(name, current) && ReadIntExpression(&p, &value, true)) {
      // Wrapping, as the 32-bit original did; content may overflow.
      SetNumber(name, static_cast<int>(static_cast<unsigned>(current) + static_cast<unsigned>(value)));
    }
  } else if (std::strcmp(word, "#include") == 0) {
    TokenKind kind = ReadToken(&p, operand, true, false);
    if (kind == TokenKind::String || kind == TokenKind::Digit || kind == TokenKind::Hex) Include(operand);
  }
  return false;
}

bool LineReader::IncludeIsRefused(const std::string& path) const {
  if (includeDepth_ + 1 > kLineIncludeDepth || *budget_ <= 0) return true;
  const std::string wanted = NormalizeContentPath(path);
  for (const LineReader* reader = this; reader != nullptr; reader = reader->includer_) {
    if (!reader->path_.empty() && EqualsIgnoreAsciiCase(NormalizeContentPath(reader->path_), wanted)) return true;
  }
  return false;
}

void LineReader::Include(std::string_view file) {
  std::string path(FolderOfPath(path_));
  path += file;
  if (IncludeIsRefused(path)) {
    includeFailed_ = true;
    return;
  }
  --*budget_;
  LineReader included;
  included.fileSource_ = fileSource_;
  included.includer_ = this;
  included.includeDepth_ = includeDepth_ + 1;
  included.budget_ = budget_;
  if (!included.Open(path)) {
    includeFailed_ = true;
    return;
  }
  while (included.ReadLine(true)) {
  }
  if (included.includeFailed_) includeFailed_ = true;
  // Appended, not merged: a name defined here already keeps its value, since
  // lookups take the first entry.
  for (const LineDefinition& definition : included.definitions_) {
    if (!hasTable_ || definitions_.size() >= static_cast<std::size_t>(kLineDefinitionCount)) break;
    definitions_.push_back(definition);
  }
}

bool LineReader::Define(std::string_view name, std::string_view value) {
  if (!hasTable_) return false;
  const std::string_view kept = KeptText(name);
  for (LineDefinition& definition : definitions_) {
    if (kept == definition.name) {
      StoreKept(definition.value, value);
      return true;
    }
  }
  if (definitions_.size() >= static_cast<std::size_t>(kLineDefinitionCount)) return false;
  LineDefinition& definition = definitions_.emplace_back();
  StoreKept(definition.name, name);
  StoreKept(definition.value, value);
  return true;
}

void LineReader::SetNumber(std::string_view name, int value) {
  char text[16];
  auto result = std::to_chars(text, text + sizeof text, value);
  Define(name, std::string_view(text, static_cast<std::size_t>(result.ptr - text)));
}

bool LineReader::GetNumber(std::string_view name, int& value) const {
  const char* text = FindDefinition(name);
  if (text == nullptr) return false;
  value = ReadDecimalInt32(text);
  return true;
}

const char* LineReader::FindDefinition(std::string_view name) const {
  const std::string_view kept = KeptText(name);
  for (const LineDefinition& definition : definitions_) {
    if (kept == definition.name) return definition.value;
  }
  return nullptr;
}
