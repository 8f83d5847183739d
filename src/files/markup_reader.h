// The markup parser: MarkupReader::ParseElements turns a scene or <MotionObject>
// file into ElementHandler calls; FindAttribute is the attribute lookup every element reader uses.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "files/line_reader.h"

// Names keep 31 characters, attribute values 255; only the first 64
// attributes of a tag are passed on (later ones are parsed and dropped).
constexpr std::size_t kMarkupNameSize = 32;
constexpr std::size_t kMarkupValueSize = 256;
constexpr int kMarkupMaxAttributes = 64;

// What the parser reports through OnError before it stops.
enum class MarkupErrorCode : int {
  NoElementName = 1,        // nothing that is a name after "<" (also "<!--")
  BadElementName = 2,       // a character other than an ASCII letter or digit
  BadAttributeName = 3,
  MissingEquals = 4,        // after an attribute name
  MissingOpeningQuote = 5,  // of an attribute value
  SlashOnBothSides = 6,     // "</name/>"
  MissingTagEnd = 7,        // no ">" where the tag must end, or after "<?" on its line
  MissingClosingQuote = 8,  // of an attribute value, on the line
  StartRefused = 9,         // OnStartElement answered false
  EndRefused = 10,          // OnEndElement answered false
  TextRefused = 11,         // OnText answered false
};

class MarkupReader;

// The receiver of the parse events. Attribute arrays hold `attributeCount`
// NUL-terminated texts and live only during the call.
class ElementHandler {
 public:
  virtual ~ElementHandler() = default;
  virtual bool OnStartElement(const char* name, const char* const* attributeNames,
                              const char* const* attributeValues, int attributeCount, void* user,
                              MarkupReader& reader);
  virtual bool OnEndElement(const char* name, void* user, MarkupReader& reader);
  // `elementName` is the innermost open element ("" outside every element).
  virtual bool OnText(const char* elementName, const char* text, void* user, MarkupReader& reader);
  virtual void OnError(MarkupErrorCode code, void* user, MarkupReader& reader);
  // Never called by the parser; for handlers that track a failure themselves.
  virtual void ClearError(void* user, MarkupReader& reader);
};

class MarkupReader : public LineReader {
 public:
  // Reads the text to its end through the handler: true when it got there,
  // false after an error (reported first through OnError). Text still pending
  // at the end of the text is not delivered.
  bool ParseElements(ElementHandler& handler, void* user);
  // Column (from 1) of the "<" of the tag being read, on GetLineNumber's
  // line; where an error was found.
  int GetColumn() const { return column_; }
  // The line (from 1) of the file on which each line of the text being
  // handed to OnText stands, so that a script inside an element can name the
  // lines of its file (blank lines are left out of the text).
  const std::vector<int>& GetTextLineNumbers() const { return textLines_; }
  // The element whose handler refused it (its start, end or text): what
  // the refusal errors concern. Empty otherwise.
  const std::string& GetRefusedElement() const { return refused_; }

 private:
  int column_ = 0;
  std::vector<int> textLines_;
  std::string refused_;
};

// Why the parse stopped, in plain English for the author of the file: the
// rule of the markup that the text broke, or the element that was refused.
std::string MarkupErrorText(MarkupErrorCode code, const MarkupReader& reader);

// The value of the first attribute whose name equals `name` without regard to
// ASCII case, or null.
const char* FindAttribute(const char* name, const char* const* attributeNames,
                          const char* const* attributeValues, int attributeCount);
// Its index, or -1.
int FindAttributeIndex(const char* name, const char* const* attributeNames, int attributeCount);
