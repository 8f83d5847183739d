// MarkupWriter: the growing text into which motion-object data writes itself as
// markup, with entity escaping for free text; the counterpart of MarkupReader.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The capacity the writer reports grows in steps of this many bytes.
constexpr std::size_t kMarkupWriterStep = 4096;

class MarkupWriter {
 public:
  // Adds the text at the end, escaped when escaping is on. False (and the
  // text unchanged) when memory runs out.
  bool Append(std::string_view text);
  // A null text appends nothing.
  bool Append(const char* text) { return Append(text != nullptr ? std::string_view(text) : std::string_view()); }
  // Formats (C locale, no length limit) and appends the result.
  bool Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // With escaping on, "<", ">", "&" and '"' are written as "&lt;", "&gt;",
  // "&amp;" and "&quot;", which the markup reader turns back in element text.
  void SetEscape(bool escape) { escape_ = escape; }
  bool GetEscape() const { return escape_; }

  // The text, always NUL-terminated.
  const char* GetText() const { return length_ == 0 ? "" : buffer_.data(); }
  std::string_view GetView() const { return {GetText(), length_}; }
  std::size_t GetLength() const { return length_; }
  // Room for the text, its NUL and the escapes of the largest append so far,
  // in whole steps of kMarkupWriterStep.
  std::size_t GetCapacity() const { return capacity_; }

  // Writes the text to the file, whole or not at all.
  bool SaveToFile(const std::string& path) const;

 private:
  std::vector<char> buffer_;
  std::size_t length_ = 0;
  std::size_t capacity_ = 0;
  bool escape_ = false;
};
