// The handler stack and MarkupElement's defaults.
#include "files/tag_handler_stack.h"

#include "platform/system/content_report.h"
#include "platform/system/shift_jis.h"

bool MarkupElement::Write(MarkupWriter&) { return true; }
bool MarkupElement::OnChildElement(TagHandlerStack&, const char*, const char* const*, const char* const*, int) {
  return true;
}
void MarkupElement::OnEndElement(TagHandlerStack&, const char*) {}
void MarkupElement::OnText(TagHandlerStack&, const char*) {}
void MarkupElement::Finish() {}

void TagHandlerStack::Push(MarkupElement* element, std::string* textTarget) {
  if (index_ == 0) return;
  --index_;
  entries_[static_cast<std::size_t>(index_)] = Entry{element, textTarget};
}

void TagHandlerStack::Pop() {
  if (index_ == kTagStackSize) return;
  entries_[static_cast<std::size_t>(index_)] = Entry{};
  ++index_;
}

MarkupElement* TagHandlerStack::Top() const {
  return index_ < kTagStackSize ? entries_[static_cast<std::size_t>(index_)].element : nullptr;
}

void TagHandlerStack::SetTextTarget(std::string* target) {
  if (index_ < kTagStackSize) entries_[static_cast<std::size_t>(index_)].textTarget = target;
}

std::string* TagHandlerStack::GetTextTarget() const {
  return index_ < kTagStackSize ? entries_[static_cast<std::size_t>(index_)].textTarget : nullptr;
}

bool TagHandlerStack::OnStartElement(const char* name, const char* const* attributeNames,
                                     const char* const* attributeValues, int attributeCount, void*,
                                     MarkupReader&) {
  MarkupElement* top = Top();
  return top == nullptr || top->OnChildElement(*this, name, attributeNames, attributeValues, attributeCount);
}

bool TagHandlerStack::OnEndElement(const char* name, void*, MarkupReader&) {
  if (MarkupElement* top = Top()) top->OnEndElement(*this, name);
  return true;
}

bool TagHandlerStack::OnText(const char*, const char* text, void*, MarkupReader& reader) {
  textLines_ = reader.GetTextLineNumbers();
  if (MarkupElement* top = Top()) top->OnText(*this, text);
  return true;
}

void TagHandlerStack::OnError(MarkupErrorCode code, void*, MarkupReader& reader) {
  success_ = false;
  ReportContentFault(path_, reader.GetLineNumber(), "the markup stops here: " + MarkupErrorText(code, reader));
}

void TagHandlerStack::ClearError(void*, MarkupReader&) { success_ = true; }

std::string TagHandlerStack::GetDirectory() const { return std::string(FolderOfPath(path_)); }

std::int32_t TagHandlerStack::GetWord(int index) const {
  return index == 0 || index == 1 ? words_[static_cast<std::size_t>(index)] : 0;
}

void TagHandlerStack::SetWord(int index, std::int32_t value) {
  if (index == 0 || index == 1) words_[static_cast<std::size_t>(index)] = value;
}
