// Data-driven class cases: every line "FRAGMENT => EXPECTED" of cases/*.txt
// (against System, Math and Storage) and of cases/*.probe (against the Probe
// classes, for the conversions later classes rely on) is run, and the whole
// file, answers included, must come out as written.
#include <gtest/gtest.h>

#include <filesystem>

#include "classes/class_object.h"
#include "classes/class_runner.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/classes/cases";

// Each method hands one argument to one helper and returns what it gave.
class Probe : public ClassObject {
 public:
  enum Member { kWord, kExactString, kExactNumber, kObject, kNeedInstance, kIndex, kEmpty };
  explicit Probe(const char* name = "Probe")
      : ClassObject(name, {
                                 {MK_Method, SVT_Number, "Word", 0, 1},
                                 {MK_Method, SVT_String, "ExactString", 0, 1},
                                 {MK_Method, SVT_Number, "ExactNumber", 0, 1},
                                 {MK_Method, SVT_Number, "Object", 0, 1},
                                 {MK_Method, SVT_Number, "NeedInstance", 0, 0},
                                 {MK_Method, SVT_Number, "Index", 0, 1},
                                 {MK_Method, SVT_Number, "Empty", 0, 1},
                             }) {}
  bool CallMethod(int member, void* instance, ScriptValue& result, ScriptValue* args, int,
                  CCScript& engine) override {
    switch (member) {
      case kWord: result.SetNumber(ArgWord(engine, args[0])); break;
      case kExactString: result.SetString(ArgExactString(engine, args[0]).c_str()); break;
      case kExactNumber: result.SetNumber(ArgExactNumber(engine, args[0])); break;
      case kObject: result.SetNumber(ArgObject(engine, args[0], "Probe") == this ? 1 : 0); break;
      case kNeedInstance: result.SetNumber(RequireInstance(instance) == this ? 1 : 0); break;
      case kIndex: result.SetNumber(ArgIndex(engine, args[0], 10)); break;
      case kEmpty: result.SetNumber(IsEmptyArg(engine, args[0]) ? 1 : 0); break;
      default: return false;
    }
    return true;
  }
};

// The probe's owner is itself, so the bare name "Probe" carries an instance;
// "Bare" is another class, and "Loose" a probe without an owner, whose bare
// name carries none.
class OwnedProbe : public Probe {
 public:
  void* GetOwner() override { return this; }
};

class Bare : public ClassObject {
 public:
  Bare() : ClassObject("Bare", {}) {}
};

std::string RunProbe(const std::string& expression) {
  OwnedProbe probe;
  Bare bare;
  Probe loose("Loose");
  Quiet<CCScript> engine;
  engine.RegisterClass(&probe);
  engine.RegisterClass(&bare);
  engine.RegisterClass(&loose);
  return AnswerFragment(engine, "main", "v = 5; s = \"text\"; $r = " + expression + ";", DescribeValue);
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const char* extension : {".txt", ".probe"})
    for (const std::string& name : ListCases(kCases, extension)) names.push_back(name + extension);
  return names;
}

class ClassCase : public testing::TestWithParam<std::string> {};

TEST_P(ClassCase, AnswersMatchTheCaseFile) {
  // Settings go to a fresh program folder for each file.
  TempFolder folder;
  SetProgramDir(folder.path());
  const std::string expected = ReadTextFile(kCases / GetParam());
  EXPECT_EQ(AnswerCalls(expected, fs::path(GetParam()).extension() == ".probe" ? RunProbe : RunClassFragment),
            expected);
  SetProgramDir("");
}

INSTANTIATE_TEST_SUITE_P(Cases, ClassCase, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& param) {
                           return fs::path(param.param).stem().string();
                         });

}  // namespace
