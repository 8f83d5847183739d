// The "Math" class object: rounding, trigonometry in radians and number
// formatting. Each script host holds one.
#pragma once

#include "classes/class_object.h"

class MathClass : public EngineClassObject {
 public:
  // Format1's result keeps at most this many bytes, Format2's and Format3's
  // the shorter limit.
  static constexpr std::size_t kFormat1Limit = 259;
  static constexpr std::size_t kFormatLimit = 255;

  MathClass();
};
