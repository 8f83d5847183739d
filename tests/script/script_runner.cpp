// Probe, the reporting engine and the script driver.
#include "script/script_runner.h"

#include <fstream>
#include <sstream>

#include "platform/system/shift_jis.h"
#include "script/script_context.h"

void* Probe::GetOwner() {
  if (log) *log += "owner\n";
  return this;
}

bool Probe::GetProperty(int member, void*, ScriptValue& out, CCScript& engine) {
  Note(engine, "get " + std::to_string(member));
  if (member == 1) out.SetNumber(7);
  if (member == 3) out.Assign(value_);
  if (member == 6) out.SetString("12");
  if (member == 7) throw ERR_OUT_OF_RANGE;
  return member == 1 || member == 3 || member == 6;
}

bool Probe::SetProperty(int member, void*, const ScriptValue& in, CCScript& engine) {
  Note(engine, "set " + std::to_string(member), &in, 1);
  if (member == 3) value_.Assign(in);
  return true;
}

bool Probe::CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int count, CCScript& engine) {
  Note(engine, "call " + std::to_string(member), args, count);
  switch (member) {
    case 0:
      if (const ScriptValue* arg = engine.FollowReferences(args[0])) result.Assign(*arg);
      break;
    case 4: {  // re-enters the engine
      std::string name;
      if (engine.ToString(args[0], name)) {
        result.SetNumber(engine.CallFunction(engine.FindFunction(name.c_str()), nullptr, 0));
      }
      break;
    }
    case 5: throw ERR_OUT_OF_RANGE;
    case 8: throw ERR_ARGUMENT_TYPE;
    case 9: throw ERR_USER_STOP;
    default: break;
  }
  return true;
}

// The line and each value: its text quoted, or its type.
void Probe::Note(CCScript& engine, const std::string& line, const ScriptValue* values, int count) {
  if (!log) return;
  *log += line;
  for (int i = 0; i < count; ++i) {
    const ScriptValue* target = engine.FollowReferences(values[i]);
    std::string text;
    if (!target) {
      *log += " <dangling>";
    } else if ((target->type == SVT_Number || target->type == SVT_String) && engine.ToString(*target, text)) {
      *log += " '" + text + "'";
    } else {
      *log += " <type " + std::to_string(target->type) + ">";
    }
  }
  *log += "\n";
}

bool ReportingEngine::OnError(int line, int column, int code) {
  char text[1024];
  FormatError(line, column, code, text, sizeof text);
  report = text;
  if (log) *log += "error " + std::to_string(line) + "," + std::to_string(column) + " " + std::to_string(code) + "\n" + text;
  return false;
}

std::vector<ScriptCall> ReadRunLines(const std::string& source) {
  std::vector<ScriptCall> calls;
  std::istringstream lines(source);
  for (std::string line, word; std::getline(lines, line);) {
    std::istringstream words(line);
    if (!(words >> word && word == "//" && words >> word && word == "run:")) break;
    ScriptCall& call = calls.emplace_back();
    words >> call.function;
    while (words >> word) call.args.push_back(word);
  }
  if (calls.empty()) calls.emplace_back();
  return calls;
}

std::vector<ScriptValue> HostArguments(CCScript& engine, const std::vector<std::string>& args) {
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
  return values;
}

namespace {

std::string DescribeValue(CCScript& engine, const ScriptValue& value) {
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

std::string RunScriptFile(const std::string& path, const std::vector<ScriptCall>& calls) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "cannot read " + path + "\n";
  std::stringstream source;
  source << file.rdbuf();

  // A context of its own, so that member-name ids in error reports are the
  // same whatever ran before in this process.
  ScriptContext context;
  Probe probe;
  ReportingEngine engine(context);
  engine.RegisterClass(&probe);
  std::ostringstream out;
  EErrorCode compiled = engine.CompileScript(source.str().c_str(), path.c_str());
  if (compiled != ERR_NONE) {
    out << "compile " << compiled << "\n";
    return out.str();
  }
  for (const ScriptCall& call : calls) {
    std::vector<ScriptValue> values = HostArguments(engine, call.args);
    engine.report.clear();
    EErrorCode result = engine.CallFunction(engine.FindFunction(call.function.c_str()), values.data(),
                                            static_cast<int>(values.size()));
    out << "result " << result << "\n";
    if (result != ERR_NONE && result != ERR_USER_STOP) out << ShiftJisToUtf8(engine.report);
    // Whatever a call ends with, the next one starts on an empty stack.
    if (engine.StackPointer() != 0 || engine.FrameBase() != 0)
      out << "stack left at " << engine.StackPointer() << " base " << engine.FrameBase() << "\n";
  }
  for (int i = 0; i < kMaxGlobals; ++i) {
    GlobalVar& global = engine.Global(i);
    if (!global.name[0]) continue;
    out << ShiftJisToUtf8(global.name) << "=" << DescribeValue(engine, global.value) << "\n";
  }
  return out.str();
}
