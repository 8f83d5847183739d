// Math members.
#include "classes/math_class.h"

#include <cmath>
#include <string>

#include "classes/number_format.h"
#include "platform/system/numbers.h"

namespace {

using Row = MemberRow<EngineCall>;

// A function of one number giving a number.
template <double (*F)(double)>
void Apply(EngineCall& call, ScriptValue& result, ScriptValue* args) {
  result.SetNumber(F(ArgNumber(call.engine, args[0])));
}

double Truncate(double value) { return TruncateToInt32(value); }
double Floor(double value) { return std::floor(value); }
double Ceil(double value) { return std::ceil(value); }
double Sin(double value) { return std::sin(value); }
double Cos(double value) { return std::cos(value); }
double Tan(double value) { return std::tan(value); }
double Atan(double value) { return std::atan(value); }
double Abs(double value) { return std::fabs(value); }

// FormatN: a format and N numbers.
template <int N>
void Format(EngineCall& call, ScriptValue& result, ScriptValue* args) {
  const std::string format = ArgText(call.engine, args[0]);
  double values[3] = {};
  for (int i = 0; i < N; ++i) values[i] = ArgNumber(call.engine, args[i + 1]);
  std::string text;
  // A script's format reaches the formatter only when each of its
  // conversions is a floating-point one with a value to print.
  if (!FormatNumbers(format, values, N, N == 1 ? MathClass::kFormat1Limit : MathClass::kFormatLimit, text))
    ThrowScriptError(ERR_ARGUMENT_TYPE);
  result.SetString(text.c_str());
}

void FormatTimeMember(EngineCall& call, ScriptValue& result, ScriptValue* args) {
  result.SetString(FormatTime(ArgNumber(call.engine, args[0])).c_str());
}

constexpr Row kMathMembers[] = {
    Row::Method(SVT_Number, "Floor", 1, Apply<Floor>),
    Row::Method(SVT_Number, "Ceil", 1, Apply<Ceil>),
    Row::Method(SVT_Number, "Int", 1, Apply<Truncate>),
    Row::Method(SVT_Number, "Sin", 1, Apply<Sin>),
    Row::Method(SVT_Number, "Cos", 1, Apply<Cos>),
    Row::Method(SVT_Number, "Tan", 1, Apply<Tan>),
    Row::Method(SVT_Number, "Atan", 1, Apply<Atan>),
    Row::Method(SVT_Number, "Abs", 1, Apply<Abs>),
    Row::Method(SVT_Number, "Format1", 2, Format<1>),
    Row::Method(SVT_Number, "Format2", 3, Format<2>),
    Row::Method(SVT_Number, "Format3", 4, Format<3>),
    Row::Method(SVT_Number, "FormatTime", 1, FormatTimeMember),
};

}  // namespace

MathClass::MathClass() : EngineClassObject("Math", kMathMembers) {}
