// Markup parser over arbitrary text: every event is checked against the
// parser's limits, and the same text goes through the handler stack.
#include <cstring>

#include "files/markup_reader.h"
#include "files/markup_writer.h"
#include "files/tag_handler_stack.h"
#include "fuzz_support.h"

namespace {

class CheckingHandler : public ElementHandler {
 public:
  bool OnStartElement(const char* name, const char* const* attributeNames, const char* const* attributeValues,
                      int attributeCount, void*, MarkupReader&) override {
    FaultIf(std::strlen(name) >= kMarkupNameSize || attributeCount < 0 || attributeCount > kMarkupMaxAttributes);
    for (int i = 0; i < attributeCount; ++i) {
      FaultIf(std::strlen(attributeNames[i]) >= kMarkupNameSize || std::strlen(attributeValues[i]) >= kMarkupValueSize);
    }
    FindAttribute("value", attributeNames, attributeValues, attributeCount);
    return name[0] != 'R';
  }
  bool OnText(const char* elementName, const char* text, void*, MarkupReader&) override {
    // Escaping never shortens a text.
    MarkupWriter writer;
    writer.SetEscape(true);
    FaultIf(!writer.Append(text) || writer.GetLength() < std::strlen(text));
    return elementName[0] != 'Q';
  }
  bool OnEndElement(const char* name, void*, MarkupReader&) override { return name[0] != 'S'; }
};

// An element that takes every child named "Push" on top of the stack.
class PushingElement : public MarkupElement {
 public:
  bool OnChildElement(TagHandlerStack& stack, const char* name, const char* const*, const char* const*,
                      int) override {
    if (std::strcmp(name, "Push") == 0) stack.Push(this, &text_);
    return true;
  }
  void OnEndElement(TagHandlerStack& stack, const char*) override { stack.Pop(); }
  void OnText(TagHandlerStack& stack, const char* text) override {
    if (std::string* target = stack.GetTextTarget()) *target = text;
  }

 private:
  std::string text_;
};

}  // namespace

T3D_FUZZ_TARGET(data, size) {
  const std::string input(FuzzText(data, size));
  MarkupReader reader;
  reader.SetText(input.c_str());
  CheckingHandler handler;
  reader.ParseElements(handler, nullptr);

  PushingElement root;
  TagHandlerStack stack;
  stack.Push(&root);
  reader.SetText(input.c_str());
  reader.ParseElements(stack, nullptr);
  return 0;
}
