// A handler that writes every parse event as a line of text, for comparing
// whole parses with expected traces. Used by the markup case, reader and writer tests.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "files/markup_reader.h"

inline std::string Repeat(const std::string& piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

// Texts in a trace: quotes, backslashes and control characters escaped, so a
// trace stays one line per event.
inline std::string TraceQuote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
          out += hex;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

// Refuses the start of an element named "RefuseStart", the end of one named
// "RefuseEnd" and text inside one named "RefuseText", so that traces can show
// how a refusing handler stops the parse.
class TraceHandler : public ElementHandler {
 public:
  bool OnStartElement(const char* name, const char* const* attributeNames, const char* const* attributeValues,
                      int attributeCount, void*, MarkupReader&) override {
    trace += "start ";
    trace += name;
    for (int i = 0; i < attributeCount; ++i) trace += std::string(" ") + attributeNames[i] + "=" + TraceQuote(attributeValues[i]);
    trace += "\n";
    return std::string_view(name) != "RefuseStart";
  }
  bool OnEndElement(const char* name, void*, MarkupReader&) override {
    trace += std::string("end ") + name + "\n";
    return std::string_view(name) != "RefuseEnd";
  }
  bool OnText(const char* elementName, const char* text, void*, MarkupReader&) override {
    trace += std::string("text ") + elementName + " " + TraceQuote(text) + "\n";
    return std::string_view(elementName) != "RefuseText";
  }
  void OnError(MarkupErrorCode code, void*, MarkupReader& reader) override {
    trace += "error " + std::to_string(static_cast<int>(code)) + " at " + std::to_string(reader.GetLineNumber()) +
             ":" + std::to_string(reader.GetColumn()) + "\n";
  }

  std::string trace;
};

// The trace of a whole parse, ending with the parser's answer.
inline std::string TraceParse(MarkupReader& reader) {
  TraceHandler handler;
  bool ok = reader.ParseElements(handler, nullptr);
  return handler.trace + (ok ? "result true\n" : "result false\n");
}

inline std::string TraceParseText(const char* text) {
  MarkupReader reader;
  reader.SetText(text);
  return TraceParse(reader);
}
