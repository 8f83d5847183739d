// System members.
#include "classes/system_class.h"

#include <cmath>
#include <string>
#include <utility>

#include "platform/system/random.h"
#include "platform/system/window_title.h"

SystemClass::SystemClass()
    : ClassObject("System", {
                                {MK_ReadWrite, SVT_String, "Title", 0, 0},
                                {MK_Method, SVT_None, "DebugOutput", 0, 1},
                                {MK_Method, SVT_None, "Abort", 0, 0},
                                {MK_Method, SVT_Number, "Random", 0, 2},
                            }) {}

bool SystemClass::GetProperty(int member, void*, ScriptValue& out, CCScript&) {
  if (member != kTitle) return false;
  out.SetString(GetWindowTitle());
  return true;
}

bool SystemClass::SetProperty(int member, void*, const ScriptValue& in, CCScript& engine) {
  if (member != kTitle) return false;
  SetWindowTitle(ArgText(engine, in).c_str());
  return true;
}

double DrawRandomInRange(double a, double b, RandomGenerator& generator) {
  a = std::floor(a);
  b = std::floor(b);
  if (a > b) std::swap(a, b);
  int r = generator.Next();
  // The draw is below 32768, so the remainder only matters for narrower
  // ranges; testing the width as a number keeps huge or NaN widths from
  // wrapping into a zero or negative divisor.
  const double width = b - a;
  if (width < RandomGenerator::kMax) r %= static_cast<int>(width) + 1;
  return a + r;
}

bool SystemClass::CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int, CCScript& engine) {
  switch (member) {
    case kDebugOutput: {
      // The text has nowhere to go; only the conversion happens.
      std::string ignored;
      TryArgText(engine, args[0], ignored);
      return true;
    }
    case kAbort:
      ThrowScriptError(ERR_USER_STOP);
    case kRandom: {
      const double a = ArgNumber(engine, args[0]);
      const double b = ArgNumber(engine, args[1]);
      result.SetNumber(DrawRandomInRange(a, b, SharedRandom()));
      return true;
    }
    default:
      return false;
  }
}
