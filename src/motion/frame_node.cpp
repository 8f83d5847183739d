// FrameNode: its markup form.
#include "motion/frame_node.h"

#include <cfloat>

#include "files/markup_reader.h"
#include "files/markup_writer.h"
#include "files/tag_handler_stack.h"
#include "platform/system/content_path.h"
#include "platform/system/numbers.h"
#include "platform/system/safe_string.h"

namespace {

struct FrameValue {
  const char* element;
  float FrameNode::*field;
};

// In the order the writer puts them.
constexpr FrameValue kFrameValues[] = {
    {"XMin", &FrameNode::XMin}, {"XMax", &FrameNode::XMax}, {"YMin", &FrameNode::YMin},
    {"YMax", &FrameNode::YMax}, {"ZMin", &FrameNode::ZMin}, {"ZMax", &FrameNode::ZMax},
    {"InertiaRate", &FrameNode::InertiaRate}, {"FallRate", &FrameNode::FallRate},
};

}  // namespace

float ReadClassFloat(const char* text) {
  if (text == nullptr) return 0.0f;
  const double value = ReadDecimal(text);
  if (value > FLT_MAX) return FLT_MAX;
  if (value < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(value);
}

void FrameNode::SetName(const char* text) { SafeStrCopy(name, text != nullptr ? text : "", sizeof name); }

bool FrameNode::Write(MarkupWriter& writer) {
  bool ok = writer.Printf(" <Frame name=\"%s\">\n", name);
  for (const FrameValue& value : kFrameValues)
    ok = writer.Printf("  <%s value=\"%f\"/>\n", value.element, static_cast<double>(this->*value.field)) && ok;
  return writer.Append(" </Frame>\n") && ok;
}

bool FrameNode::OnChildElement(TagHandlerStack&, const char* elementName, const char* const* attributeNames,
                               const char* const* attributeValues, int attributeCount) {
  if (elementName == nullptr) return true;
  for (const FrameValue& value : kFrameValues) {
    if (!EqualsIgnoreAsciiCase(elementName, value.element)) continue;
    if (const char* text = FindAttribute("value", attributeNames, attributeValues, attributeCount))
      this->*value.field = ReadClassFloat(text);
    break;
  }
  return true;
}

void FrameNode::OnEndElement(TagHandlerStack& stack, const char* elementName) {
  if (elementName != nullptr && EqualsIgnoreAsciiCase(elementName, "Frame")) stack.Pop();
}
