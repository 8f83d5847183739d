// The "Math" class object: rounding, trigonometry in radians and number
// formatting. Each script host holds one.
#pragma once

#include "classes/class_object.h"

class MathClass : public ClassObject {
 public:
  enum Member { kFloor, kCeil, kInt, kSin, kCos, kTan, kAtan, kAbs, kFormat1, kFormat2, kFormat3, kFormatTime };

  // Format1's result keeps at most this many bytes, Format2's and Format3's
  // the shorter limit.
  static constexpr std::size_t kFormat1Limit = 259;
  static constexpr std::size_t kFormatLimit = 255;

  MathClass();
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int argCount,
                  CCScript& engine) override;
};
