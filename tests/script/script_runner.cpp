// Probe, the test class of the script driver, and the driver itself.
#include "script/script_runner.h"

#include <fstream>
#include <sstream>

#include "platform/system/shift_jis.h"
#include "script/engine.h"
#include "script/script_context.h"

namespace {

class Probe : public NativeClass {
 public:
  const char* ClassName() override { return "Probe"; }
  MemberRecord* GetMemberTable() override { return members_; }
  bool GetProperty(int member, void*, ScriptValue& out, CCScript&) override {
    if (member == 1) {
      out.SetNumber(7);
      return true;
    }
    if (member == 3) {
      out.Assign(value_);
      return true;
    }
    return false;
  }
  bool SetProperty(int member, void*, const ScriptValue& in, CCScript&) override {
    if (member == 3) value_.Assign(in);
    return true;
  }
  bool CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int, CCScript& engine) override {
    if (member != 0) return false;
    const ScriptValue* arg = engine.FollowReferences(args[0]);
    if (arg) result.Assign(*arg);
    return true;
  }

 private:
  MemberRecord members_[5] = {
      {MK_Method, SVT_None, "Echo", 0, 1},
      {MK_ReadOnly, SVT_Number, "Count", 0, 0},
      {MK_WriteOnly, SVT_None, "Sink", 0, 0},
      {MK_ReadWrite, SVT_None, "Value", 0, 0},
      {MK_End, 0, nullptr, 0, 0},
  };
  ScriptValue value_;
};

class DriverEngine : public CCScript {
 public:
  explicit DriverEngine(ScriptContext& context) : CCScript(context) {}
  std::string report;
  bool OnError(int line, int column, int code) override {
    char text[1024];
    FormatError(line, column, code, text, sizeof text);
    report = text;
    return false;
  }
};

std::string DescribeValue(DriverEngine& engine, const ScriptValue& value) {
  switch (value.type) {
    case SVT_None: return "<none>";
    case SVT_Empty: return "<empty>";
    case SVT_Object: return "<object>";
    case SVT_FunctionReference: return "<function>";
    case SVT_Reference: return "<reference>";
    default: {
      std::string text;
      if (!engine.ToString(value, text)) return "<none>";
      return ShiftJisToUtf8(text);
    }
  }
}

}  // namespace

std::string RunScriptFile(const std::string& path, const std::string& function,
                          const std::vector<std::string>& args) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "cannot read " + path + "\n";
  std::stringstream source;
  source << file.rdbuf();

  // A context of its own, so that member-name ids in error reports are the
  // same whatever ran before in this process.
  ScriptContext context;
  Probe probe;
  DriverEngine engine(context);
  engine.RegisterClass(&probe);
  std::ostringstream out;
  EErrorCode compiled = engine.CompileScript(source.str().c_str(), path.c_str());
  if (compiled != ERR_NONE) {
    out << "compile " << compiled << "\n";
    return out.str();
  }
  std::vector<ScriptValue> values(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (IsNumberString(args[i].c_str())) {
      double number;
      ScriptValue text;
      text.SetString(args[i].c_str());
      engine.ToNumber(text, number);
      values[i].SetNumber(number);
    } else {
      values[i].SetString(args[i].c_str());
    }
  }
  EErrorCode result = engine.CallFunction(engine.FindFunction(function.c_str()), values.data(),
                                          static_cast<int>(values.size()));
  out << "result " << result << "\n";
  if (result != ERR_NONE && result != ERR_USER_STOP) out << ShiftJisToUtf8(engine.report);
  for (int i = 0; i < kMaxGlobals; ++i) {
    GlobalVar& global = engine.Global(i);
    if (!global.name[0]) continue;
    out << ShiftJisToUtf8(global.name) << "=" << DescribeValue(engine, global.value) << "\n";
  }
  return out.str();
}
