// FrameNode: the per-frame settings of one model frame of an object class
// (name, local matrix, extents, inertia and fall rates); the class owns them, the scene and scripts read them.
#pragma once

#include <cstdint>

#include "files/markup_element.h"
#include "platform/math/math_types.h"

// Frame names keep 31 bytes (never half a double-byte character).
constexpr int kFrameNodeNameSize = 32;

// Frame nodes are numbered in the model's frame order (a frame, then the walk
// of its next sibling, then the walk of its first child), as motion tracks and
// animation sets are.
class FrameNode : public MarkupElement {
 public:
  const char* GetName() const { return name; }
  void SetName(const char* text);

  // " <Frame name=...>", one line per value, " </Frame>".
  bool Write(MarkupWriter& writer) override;
  // XMin ... FallRate with a `value` set that field; anything else changes nothing.
  bool OnChildElement(TagHandlerStack& stack, const char* elementName, const char* const* attributeNames,
                      const char* const* attributeValues, int attributeCount) override;
  // "</Frame>" hands the parse back to the class.
  void OnEndElement(TagHandlerStack& stack, const char* elementName) override;

  char name[kFrameNodeNameSize] = {};
  // The frame's local matrix as the model loaded it.
  Matrix matrix = MatrixIdentity();
  float XMin = 0.0f;
  float XMax = 0.0f;
  float YMin = 0.0f;
  float YMax = 0.0f;
  float ZMin = 0.0f;
  float ZMax = 0.0f;
  float InertiaRate = 0.0f;
  float FallRate = 0.0f;
  // Neither read nor written by the class file; kept for the scene's use.
  std::int32_t userValue = 4096;
};

// A float of the class file: leading blanks, a decimal number; nothing
// readable gives 0, and values past the float range become the largest float
// so that nothing computed from them turns into infinities.
float ReadClassFloat(const char* text);
