// System members.
#include "classes/system_class.h"

#include <cmath>
#include <string>
#include <utility>

#include "platform/system/random.h"
#include "platform/system/window_title.h"

namespace {

using Row = MemberRow<EngineCall>;

void GetTitle(EngineCall&, ScriptValue& out) { out.SetString(GetWindowTitle()); }

void SetTitle(EngineCall& call, const ScriptValue& in) { SetWindowTitle(ArgText(call.engine, in).c_str()); }

void DebugOutput(EngineCall& call, ScriptValue&, ScriptValue* args) {
  // The text has nowhere to go; only the conversion happens.
  std::string ignored;
  TryArgText(call.engine, args[0], ignored);
}

void Abort(EngineCall&, ScriptValue&, ScriptValue*) { ThrowScriptError(ERR_USER_STOP); }

void Random(EngineCall& call, ScriptValue& result, ScriptValue* args) {
  const double a = ArgNumber(call.engine, args[0]);
  const double b = ArgNumber(call.engine, args[1]);
  result.SetNumber(DrawRandomInRange(a, b, SharedRandom()));
}

constexpr Row kSystemMembers[] = {
    Row::ReadWrite(SVT_String, "Title", GetTitle, SetTitle),
    Row::Method(SVT_None, "DebugOutput", 1, DebugOutput),
    Row::Method(SVT_None, "Abort", 0, Abort),
    Row::Method(SVT_Number, "Random", 2, Random),
};

}  // namespace

SystemClass::SystemClass() : EngineClassObject("System", kSystemMembers) {}

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
