// MarkupElement: the base of every object a <MotionObject> document is made of,
// written through the MarkupWriter and read through the TagHandlerStack.
#pragma once

class MarkupWriter;
class TagHandlerStack;

// While an element is on top of the stack it receives the parse events of
// its children; each operation has a harmless default.
class MarkupElement {
 public:
  virtual ~MarkupElement() = default;
  virtual bool Write(MarkupWriter& writer);
  // A child element starts; false stops the parse.
  virtual bool OnChildElement(TagHandlerStack& stack, const char* name, const char* const* attributeNames,
                              const char* const* attributeValues, int attributeCount);
  virtual void OnEndElement(TagHandlerStack& stack, const char* name);
  virtual void OnText(TagHandlerStack& stack, const char* text);
  virtual void Finish();
};
