// Data-driven motion cases in cases/ (see cases/README): each input is run by
// the runner of its extension and its output compared whole with the
// expected file beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "motion/motion_dump.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/motion/cases";

// The records a case-table file gives the motions Stand, Walk, Run, Jump or
// those its NAME.motions lists.
std::string RunCaseTable(const fs::path& input) {
  std::vector<std::string> names = {"Stand", "Walk", "Run", "Jump"};
  if (fs::exists(fs::path(input).replace_extension(".motions"))) {
    names.clear();
    std::istringstream list(ReadTextFile(fs::path(input).replace_extension(".motions")));
    for (std::string name; list >> name;) names.push_back(name);
  }
  std::vector<Motion> motions = MakeMotions(names);
  CaseTable table;
  return table.Load(input.string(), motions) ? DumpCaseTable(table, motions) : "load failed\n";
}

// What is written must read back to the same keys.
std::string RunMotionMarkup(const fs::path& input) {
  std::string rewritten;
  const std::string written = ParseAndWriteMotions(ReadTextFile(input), &rewritten);
  const bool same = written.substr(written.find('\n') + 1) == rewritten;
  return same ? written : written + "read back differently:\n" + rewritten;
}

struct CaseKind {
  const char* input;
  const char* expected;
  std::string (*run)(const fs::path& input);
};

const CaseKind kKinds[] = {
    {".track", ".out", [](const fs::path& input) { return RunTrackScript(ReadTextFile(input)); }},
    {".motion", ".written", RunMotionMarkup},
    {".cases", ".records", RunCaseTable},
    {".model", ".result", [](const fs::path& input) { return RunModelScript(ReadTextFile(input)); }},
    {".object", ".state", [](const fs::path& input) { return RunClassScript(ReadTextFile(input)); }},
};

std::vector<std::string> CaseFiles() {
  std::vector<std::string> files;
  for (const CaseKind& kind : kKinds)
    for (const std::string& name : ListCases(kCases, kind.input)) files.push_back(name + kind.input);
  return files;
}

class MotionCase : public testing::TestWithParam<std::string> {};

TEST_P(MotionCase, OutputMatchesExpected) {
  const fs::path input = kCases / GetParam();
  for (const CaseKind& kind : kKinds) {
    if (input.extension() != kind.input) continue;
    const std::string actual = kind.run(input);
    const fs::path expected = fs::path(input).replace_extension(kind.expected);
    ASSERT_TRUE(std::getenv("T3D_WRITE_GOLDEN") || fs::exists(expected)) << "missing " << expected;
    EXPECT_EQ(GoldenText(expected, actual), actual);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, MotionCase, testing::ValuesIn(CaseFiles()),
                         [](const testing::TestParamInfo<std::string>& param) {
                           std::string name = param.param;
                           name[name.rfind('.')] = '_';
                           return name;
                         });

// Replaces every CR LF of the text by `end`.
std::string WithLineEnds(const std::string& text, const std::string& end) {
  std::string out;
  for (std::size_t at = 0, next; at < text.size(); at = next + 2) {
    next = text.find("\r\n", at);
    if (next == std::string::npos) next = text.size();
    out += text.substr(at, next - at) + (next < text.size() ? end : "");
  }
  return out;
}

// A case table reads the same whatever ends its lines: CR LF, as the tables
// of cases/ are kept, CR alone, or LF alone (a Linux editor, a checkout that
// converts line ends). Each table written the other two ways gives the
// records expected of it; only a quoted action that runs over a line end
// keeps that line end as it stands in the file.
TEST(CaseTableLineEnds, EachFormGivesTheRecordsOfTheCrLfTable) {
  TempFolder folder;
  int tables = 0;
  for (const std::string& name : ListCases(kCases, ".cases")) {
    const std::string crlf = ReadTextFile(kCases / (name + ".cases"));
    if (crlf.find("\r\n") == std::string::npos) continue;
    ++tables;
    const fs::path motions = kCases / (name + ".motions");
    if (fs::exists(motions)) folder.Write(name + ".motions", ReadTextFile(motions));
    for (const char* end : {"\r", "\n"}) {
      SCOPED_TRACE(name + (end[0] == '\r' ? " with CR" : " with LF"));
      EXPECT_EQ(RunCaseTable(folder.Write(name + ".cases", WithLineEnds(crlf, end))),
                WithLineEnds(ReadTextFile(kCases / (name + ".records")), end));
    }
  }
  EXPECT_GE(tables, 8);
}

}  // namespace
