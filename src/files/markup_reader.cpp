// The markup parser over the reader's raw lines. Tags are read with the
// script lexer's notion of a word; names and values are cut into bounded
// buffers, and the pending text grows with the file, so a script of any length
// arrives in one OnText call.
#include "files/markup_reader.h"

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "files/text_scan.h"
#include "platform/system/content_path.h"
#include "script/tokenizer.h"

bool ElementHandler::OnStartElement(const char*, const char* const*, const char* const*, int, void*,
                                    MarkupReader&) {
  return true;
}
bool ElementHandler::OnEndElement(const char*, void*, MarkupReader&) { return true; }
bool ElementHandler::OnText(const char*, const char*, void*, MarkupReader&) { return true; }
void ElementHandler::OnError(MarkupErrorCode, void*, MarkupReader&) {}
void ElementHandler::ClearError(void*, MarkupReader&) {}

namespace {

constexpr unsigned kNameChars = kClassUpper | kClassLower | kClassDigit;

struct Entity {
  std::string_view text;
  char decoded;
};
constexpr Entity kEntities[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}};

// Appends `text` with the four entities decoded; any other "&" stays, and
// double-byte characters are copied whole.
void AppendDecoded(std::string& out, std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '&') {
      bool decoded = false;
      for (const Entity& entity : kEntities) {
        if (text.substr(i, entity.text.size()) == entity.text) {
          out += entity.decoded;
          i += entity.text.size();
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
    }
    std::size_t width = CharWidthIn(text, i);
    out.append(text.data() + i, width);
    i += width;
  }
}

const char* SkipBlanks(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

// Copies the text cut to size-1 bytes on a character boundary.
void CopyKept(char* out, std::size_t size, std::string_view text) {
  std::size_t n = WholeCharPrefix(text, size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

class Parser {
 public:
  Parser(MarkupReader& reader, ElementHandler& handler, void* user, int& column, std::vector<int>& textLines,
         std::string& refused)
      : reader_(reader), handler_(handler), user_(user), column_(column), textLines_(textLines), refused_(refused),
        names_(kMarkupMaxAttributes), values_(kMarkupMaxAttributes) {
    open_.emplace_back();
    for (int i = 0; i < kMarkupMaxAttributes; ++i) {
      namePointers_[static_cast<std::size_t>(i)] = names_[static_cast<std::size_t>(i)].data();
      valuePointers_[static_cast<std::size_t>(i)] = values_[static_cast<std::size_t>(i)].data();
    }
  }

  bool ParseLine(std::string_view raw) {
    // A NUL-terminated copy, so that the lexer and every scan end with the line.
    line_.assign(raw);
    const char* const base = line_.c_str();
    const char* p = base;
    while (*p != '\0') {
      const char* open = p;
      while (*open != '\0' && *open != '<') open += CharWidthAt(open);
      const bool startsTextLine = pending_.empty() || pending_.back() == '\n';
      const std::size_t before = pending_.size();
      AppendDecoded(pending_, std::string_view(p, static_cast<std::size_t>(open - p)));
      if (*open == '\0') pending_ += '\n';
      // Blank lines never reach the parser and leave no trace in the text:
      // each line of the text keeps the line of the file it stands on.
      if (startsTextLine && pending_.size() > before) pendingLines_.push_back(reader_.GetLineNumber());
      if (*open == '\0') break;
      column_ = static_cast<int>(open - base) + 1;
      if (!pending_.empty()) {
        textLines_.swap(pendingLines_);
        if (!handler_.OnText(open_.back().c_str(), pending_.c_str(), user_, reader_))
          return Fail(MarkupErrorCode::TextRefused, open_.back());
        pending_.clear();
        pendingLines_.clear();
      }
      p = open;
      if (!ParseTag(p)) return false;
    }
    return true;
  }

 private:
  bool Fail(MarkupErrorCode code, std::string_view refused = {}) {
    refused_ = refused;
    handler_.OnError(code, user_, reader_);
    return false;
  }

  // A word of the lexer at p (ASCII letters, digits, "_" and every other
  // character that is no operator, double-byte characters included).
  static bool ReadWord(const char*& p, char* out) {
    if (ClassifyChar(p) != -1) return false;
    ReadToken(&p, out, false, false);
    return true;
  }

  // p stands on the "<"; on success it is moved past the ">".
  bool ParseTag(const char*& p) {
    const char* q = SkipBlanks(p + 1);
    bool endTag = false;
    if (*q == '/') {
      endTag = true;
      q = SkipBlanks(q + 1);
    }
    if (*q == '?') {
      while (*q != '\0' && *q != '>') q += CharWidthAt(q);
      if (*q == '\0') return Fail(MarkupErrorCode::MissingTagEnd);
      p = q + 1;
      return true;
    }

    char word[kTokenBufferSize];
    if (!ReadWord(q, word)) return Fail(MarkupErrorCode::NoElementName);
    if (!AllCharsInClass(word, kNameChars)) return Fail(MarkupErrorCode::BadElementName);
    char name[kMarkupNameSize];
    CopyKept(name, sizeof name, word);

    int count = 0;
    for (;;) {
      q = SkipBlanks(q);
      if (!ReadWord(q, word)) break;
      if (!AllCharsInClass(word, kNameChars)) return Fail(MarkupErrorCode::BadAttributeName);
      q = SkipBlanks(q);
      if (*q != '=') return Fail(MarkupErrorCode::MissingEquals);
      q = SkipBlanks(q + 1);
      if (*q != '"') return Fail(MarkupErrorCode::MissingOpeningQuote);
      const char* value = ++q;
      while (*q != '\0' && *q != '"') q += CharWidthAt(q);
      if (*q == '\0') return Fail(MarkupErrorCode::MissingClosingQuote);
      if (count < kMarkupMaxAttributes) {
        auto slot = static_cast<std::size_t>(count++);
        CopyKept(names_[slot].data(), kMarkupNameSize, word);
        CopyKept(values_[slot].data(), kMarkupValueSize, std::string_view(value, static_cast<std::size_t>(q - value)));
      }
      ++q;
    }

    bool selfClosing = false;
    if (*q == '/') {
      if (endTag) return Fail(MarkupErrorCode::SlashOnBothSides);
      selfClosing = true;
      q = SkipBlanks(q + 1);
    }
    if (*q != '>') return Fail(MarkupErrorCode::MissingTagEnd);
    p = q + 1;

    if (!endTag) {
      if (!handler_.OnStartElement(name, namePointers_.data(), valuePointers_.data(), count, user_, reader_))
        return Fail(MarkupErrorCode::StartRefused, name);
      open_.emplace_back(name);
    }
    if (endTag || selfClosing) {
      if (!handler_.OnEndElement(name, user_, reader_)) return Fail(MarkupErrorCode::EndRefused, name);
      // The end tag's name is not matched against the open element.
      if (open_.size() > 1) open_.pop_back();
    }
    return true;
  }

  MarkupReader& reader_;
  ElementHandler& handler_;
  void* const user_;
  int& column_;
  std::vector<int>& textLines_;
  std::string& refused_;
  std::string line_;
  std::string pending_;
  std::vector<int> pendingLines_;
  // Names of the open elements; [0] is the empty name outside every element.
  std::vector<std::string> open_;
  std::vector<std::array<char, kMarkupNameSize>> names_;
  std::vector<std::array<char, kMarkupValueSize>> values_;
  std::array<const char*, kMarkupMaxAttributes> namePointers_{};
  std::array<const char*, kMarkupMaxAttributes> valuePointers_{};
};

}  // namespace

bool MarkupReader::ParseElements(ElementHandler& handler, void* user) {
  column_ = 0;
  textLines_.clear();
  refused_.clear();
  Parser parser(*this, handler, user, column_, textLines_, refused_);
  std::string_view line;
  while (ReadRawLine(line)) {
    if (!parser.ParseLine(line)) return false;
  }
  return true;
}

int FindAttributeIndex(const char* name, const char* const* attributeNames, int attributeCount) {
  if (name == nullptr || attributeNames == nullptr) return -1;
  for (int i = 0; i < attributeCount; ++i) {
    if (attributeNames[i] != nullptr && EqualsIgnoreAsciiCase(name, attributeNames[i])) return i;
  }
  return -1;
}

const char* FindAttribute(const char* name, const char* const* attributeNames,
                          const char* const* attributeValues, int attributeCount) {
  int index = FindAttributeIndex(name, attributeNames, attributeCount);
  return index >= 0 && attributeValues != nullptr ? attributeValues[index] : nullptr;
}

std::string MarkupErrorText(MarkupErrorCode code, const MarkupReader& reader) {
  switch (code) {
    case MarkupErrorCode::NoElementName: return "no element name after \"<\"";
    case MarkupErrorCode::BadElementName: return "an element name holds a character other than a letter or digit";
    case MarkupErrorCode::BadAttributeName: return "an attribute name holds a character other than a letter or digit";
    case MarkupErrorCode::MissingEquals: return "no \"=\" after an attribute name";
    case MarkupErrorCode::MissingOpeningQuote: return "an attribute value does not start with a double quote";
    case MarkupErrorCode::SlashOnBothSides: return "\"/\" both before and after an element name";
    case MarkupErrorCode::MissingTagEnd: return "a tag does not end with \">\" on its line";
    case MarkupErrorCode::MissingClosingQuote: return "an attribute value does not end with a double quote on its line";
    case MarkupErrorCode::StartRefused: return "<" + reader.GetRefusedElement() + "> is not accepted";
    case MarkupErrorCode::EndRefused: return "</" + reader.GetRefusedElement() + "> is not accepted";
    case MarkupErrorCode::TextRefused:
      if (reader.GetRefusedElement().empty()) return "the text outside every element is not accepted";
      return "the text in <" + reader.GetRefusedElement() + "> is not accepted";
  }
  return "an error of the markup";
}
