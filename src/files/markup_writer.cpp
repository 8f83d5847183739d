// The markup writer. The reported capacity keeps the 4096-byte step rule, but
// the storage behind it grows geometrically, so writing a large document
// copies its text a bounded number of times rather than once per step.
#include "files/markup_writer.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <new>
#include <stdexcept>

#include "files/text_scan.h"
#include "platform/system/atomic_file.h"

namespace {

const char* EscapeOf(char c) {
  switch (c) {
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '&': return "&amp;";
    case '"': return "&quot;";
    default: return nullptr;
  }
}

// The room an append asks for beyond the text itself, whether or not
// escaping is on (so the capacity rule does not depend on the flag).
std::size_t EscapeReserve(std::string_view text) {
  std::size_t reserve = 0;
  for (std::size_t i = 0; i < text.size(); i += CharWidthIn(text, i)) {
    if (CharWidthIn(text, i) == 2) continue;
    switch (text[i]) {
      case '<': case '>': reserve += 4; break;
      case '&': reserve += 5; break;
      case '"': reserve += 6; break;
      default: break;
    }
  }
  return reserve;
}

}  // namespace

bool MarkupWriter::Append(std::string_view text) {
  const std::size_t extra = EscapeReserve(text);
  const std::size_t max = std::numeric_limits<std::size_t>::max() - 2 * kMarkupWriterStep;
  if (text.size() > max - extra || length_ > max - extra - text.size()) return false;
  const std::size_t needed = length_ + text.size() + extra + 1;
  std::size_t capacity = capacity_;
  if (needed > capacity) capacity += (needed - capacity + kMarkupWriterStep - 1) / kMarkupWriterStep * kMarkupWriterStep;
  if (buffer_.size() < capacity) {
    try {
      buffer_.resize(std::max(capacity, buffer_.size() < max / 2 ? buffer_.size() * 2 : capacity));
    } catch (const std::bad_alloc&) {
      return false;
    } catch (const std::length_error&) {
      return false;
    }
  }
  capacity_ = capacity;

  char* out = buffer_.data() + length_;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t width = CharWidthIn(text, i);
    const char* escaped = (escape_ && width == 1) ? EscapeOf(text[i]) : nullptr;
    if (escaped != nullptr) {
      for (; *escaped != '\0'; ++escaped) *out++ = *escaped;
    } else {
      for (std::size_t k = 0; k < width; ++k) *out++ = text[i + k];
    }
    i += width;
  }
  length_ = static_cast<std::size_t>(out - buffer_.data());
  *out = '\0';
  return true;
}

bool MarkupWriter::Printf(const char* format, ...) {
  if (format == nullptr) return false;
  std::va_list args;
  va_start(args, format);
  std::va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length < 0) {
    va_end(args);
    return false;
  }
  std::string formatted;
  try {
    formatted.resize(static_cast<std::size_t>(length) + 1);
  } catch (const std::bad_alloc&) {
    va_end(args);
    return false;
  }
  std::vsnprintf(formatted.data(), formatted.size(), format, args);
  va_end(args);
  formatted.pop_back();
  return Append(formatted);
}

bool MarkupWriter::SaveToFile(const std::string& path) const { return WriteFileAtomically(path, GetView()); }
