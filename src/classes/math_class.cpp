// Math members.
#include "classes/math_class.h"

#include <cmath>
#include <string>

#include "classes/number_format.h"
#include "platform/system/numbers.h"

MathClass::MathClass()
    : ClassObject("Math", {
                              {MK_Method, SVT_Number, "Floor", 0, 1},
                              {MK_Method, SVT_Number, "Ceil", 0, 1},
                              {MK_Method, SVT_Number, "Int", 0, 1},
                              {MK_Method, SVT_Number, "Sin", 0, 1},
                              {MK_Method, SVT_Number, "Cos", 0, 1},
                              {MK_Method, SVT_Number, "Tan", 0, 1},
                              {MK_Method, SVT_Number, "Atan", 0, 1},
                              {MK_Method, SVT_Number, "Abs", 0, 1},
                              {MK_Method, SVT_Number, "Format1", 0, 2},
                              {MK_Method, SVT_Number, "Format2", 0, 3},
                              {MK_Method, SVT_Number, "Format3", 0, 4},
                              {MK_Method, SVT_Number, "FormatTime", 0, 1},
                          }) {}

bool MathClass::CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int, CCScript& engine) {
  switch (member) {
    case kFloor: result.SetNumber(std::floor(ArgNumber(engine, args[0]))); return true;
    case kCeil: result.SetNumber(std::ceil(ArgNumber(engine, args[0]))); return true;
    case kInt: result.SetNumber(TruncateToInt32(ArgNumber(engine, args[0]))); return true;
    case kSin: result.SetNumber(std::sin(ArgNumber(engine, args[0]))); return true;
    case kCos: result.SetNumber(std::cos(ArgNumber(engine, args[0]))); return true;
    case kTan: result.SetNumber(std::tan(ArgNumber(engine, args[0]))); return true;
    case kAtan: result.SetNumber(std::atan(ArgNumber(engine, args[0]))); return true;
    case kAbs: result.SetNumber(std::fabs(ArgNumber(engine, args[0]))); return true;
    case kFormat1:
    case kFormat2:
    case kFormat3: {
      const int count = member - kFormat1 + 1;
      const std::string format = ArgText(engine, args[0]);
      double values[3] = {};
      for (int i = 0; i < count; ++i) values[i] = ArgNumber(engine, args[i + 1]);
      std::string text;
      // A script's format reaches the formatter only when each of its
      // conversions is a floating-point one with a value to print.
      if (!FormatNumbers(format, values, count, member == kFormat1 ? kFormat1Limit : kFormatLimit, text))
        ThrowScriptError(ERR_ARGUMENT_TYPE);
      result.SetString(text.c_str());
      return true;
    }
    case kFormatTime:
      result.SetString(FormatTime(ArgNumber(engine, args[0])).c_str());
      return true;
    default:
      return false;
  }
}
