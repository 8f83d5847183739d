// The script test harness: Probe, the test class the script tests and the
// script fuzz target register; an engine that keeps its error reports; and
// the driver that runs one case file (the script-run tool and the case tests).
#pragma once

#include <string>
#include <vector>

#include "script/engine.h"

// "Probe": Echo(x) gives x back; Count reads 7; Sink is write-only; Value
// reads what was last written; Call(name) runs another function of the
// calling engine and gives its result code; Fail() raises error 48 and
// WrongType(x) error 36; Text reads "12"; reading Broken raises 48; Stop()
// ends the script as a host does (code 4). With a log, every call the
// interpreter makes into it is written down, one line each.
class Probe : public NativeClass {
 public:
  std::string* log = nullptr;
  const char* ClassName() override { return "Probe"; }
  MemberRecord* GetMemberTable() override { return members_; }
  void* GetOwner() override;
  bool GetProperty(int member, void* instance, ScriptValue& out, CCScript& engine) override;
  bool SetProperty(int member, void* instance, const ScriptValue& in, CCScript& engine) override;
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int count,
                  CCScript& engine) override;

 private:
  void Note(CCScript& engine, const std::string& line, const ScriptValue* values = nullptr, int count = 0);
  MemberRecord members_[11] = {
      {MK_Method, SVT_None, "Echo", 0, 1},      {MK_ReadOnly, SVT_Number, "Count", 0, 0},
      {MK_WriteOnly, SVT_None, "Sink", 0, 0},   {MK_ReadWrite, SVT_None, "Value", 0, 0},
      {MK_Method, SVT_None, "Call", 0, 1},      {MK_Method, SVT_None, "Fail", 0, 0},
      {MK_ReadOnly, SVT_String, "Text", 0, 0},  {MK_ReadOnly, SVT_Number, "Broken", 0, 0},
      {MK_Method, SVT_None, "WrongType", 0, 1}, {MK_Method, SVT_None, "Stop", 0, 0},
      {MK_End, 0, nullptr, 0, 0},
  };
  ScriptValue value_;
};

// A class of the given name with the members "Shared" and "Call", so that a
// member name exists that Probe lacks and one that Probe has too.
class Other : public NativeClass {
 public:
  explicit Other(const char* name) : name_(name) {}
  const char* ClassName() override { return name_; }
  MemberRecord* GetMemberTable() override { return members_; }

  MemberRecord members_[3] = {
      {MK_ReadOnly, SVT_Number, "Shared", 0, 0},
      {MK_ReadOnly, SVT_Number, "Call", 0, 0},
      {MK_End, 0, nullptr, 0, 0},
  };

 private:
  const char* name_;
};

// An engine that keeps its last error report and, with a log, writes each
// report down after a line "error LINE,COLUMN CODE".
class ReportingEngine : public CCScript {
 public:
  using CCScript::CCScript;
  std::string report;
  std::string* log = nullptr;
  bool OnError(int line, int column, int code) override;
};

// A function to call and its arguments. A case file names its calls on its
// first lines, "// run: FUNCTION ARG..." each; without them it calls main.
struct ScriptCall {
  std::string function = "main";
  std::vector<std::string> args;
};
std::vector<ScriptCall> ReadRunLines(const std::string& source);
// The arguments as a host passes them: numbers where they read as one.
std::vector<ScriptValue> HostArguments(CCScript& engine, const std::vector<std::string>& args);

// The driver's whole output for the calls made one after another in one
// engine, as script-run prints it. Each run has a script context of its own,
// so runs in one process do not affect each other.
std::string RunScriptFile(const std::string& path, const std::vector<ScriptCall>& calls);
