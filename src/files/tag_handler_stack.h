// TagHandlerStack: the ElementHandler that hands each parse event to the
// MarkupElement on top of a stack; used by the motion-object loader.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/markup_element.h"
#include "files/markup_reader.h"

constexpr int kTagStackSize = 100;

class TagHandlerStack : public ElementHandler {
 public:
  // A new top entry; ignored when the stack is full.
  void Push(MarkupElement* element, std::string* textTarget = nullptr);
  // Drops the top entry; nothing on an empty stack.
  void Pop();
  MarkupElement* Top() const;
  int GetDepth() const { return kTagStackSize - index_; }
  // The top entry's text target (where that element wants its text); null
  // and ignored on an empty stack.
  void SetTextTarget(std::string* target);
  std::string* GetTextTarget() const;
  // The line of the file on which each line of the text being handed on stands.
  const std::vector<int>& GetTextLines() const { return textLines_; }

  bool OnStartElement(const char* name, const char* const* attributeNames, const char* const* attributeValues,
                      int attributeCount, void* user, MarkupReader& reader) override;
  bool OnEndElement(const char* name, void* user, MarkupReader& reader) override;
  bool OnText(const char* elementName, const char* text, void* user, MarkupReader& reader) override;
  // A parse error clears the success flag and says on standard error where
  // the file stopped; ClearError sets the flag again.
  void OnError(MarkupErrorCode code, void* user, MarkupReader& reader) override;
  void ClearError(void* user, MarkupReader& reader) override;
  bool Succeeded() const { return success_; }

  // The markup file's path, set by the loader.
  void SetPath(std::string_view path) { path_ = path; }
  const std::string& GetPath() const { return path_; }
  // The path up to and including its last "\" or "/"; empty when it has
  // neither. Relative names in the file are taken from there.
  std::string GetDirectory() const;

  // Two words for the element objects' own use (zero at first), and a value
  // the loader sets.
  std::int32_t GetWord(int index) const;
  void SetWord(int index, std::int32_t value);
  void* GetUserValue() const { return userValue_; }
  void SetUserValue(void* value) { userValue_ = value; }

 private:
  struct Entry {
    MarkupElement* element = nullptr;
    std::string* textTarget = nullptr;
  };
  // Filled from the end: index_ counts down from kTagStackSize (empty) to 0.
  std::array<Entry, kTagStackSize> entries_{};
  int index_ = kTagStackSize;
  std::string path_;
  std::array<std::int32_t, 2> words_{};
  void* userValue_ = nullptr;
  std::vector<int> textLines_;
  bool success_ = true;
};
