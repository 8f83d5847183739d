// Data-driven cases of the line reader and the markup parser, in cases/:
// NAME.xml is parsed and its event trace must equal NAME.trace; NAME.txt is
// read raw and expanded, and the lines (with their source line numbers), the
// definition table and any failed include must equal NAME.raw and NAME.expanded.
// NAME.inc files are only included.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/case_files.h"
#include "files/line_reader.h"
#include "files/markup_trace.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/files/cases";

std::string CaseName(const testing::TestParamInfo<std::string>& param) { return param.param; }

class MarkupCase : public testing::TestWithParam<std::string> {};

TEST_P(MarkupCase, TraceMatchesExpected) {
  MarkupReader reader;
  ASSERT_TRUE(reader.Open((kCases / (GetParam() + ".xml")).string()));
  const std::string trace = TraceParse(reader);
  EXPECT_EQ(GoldenText(kCases / (GetParam() + ".trace"), trace), trace);
}

INSTANTIATE_TEST_SUITE_P(Cases, MarkupCase, testing::ValuesIn(ListCases(kCases, ".xml")), CaseName);

std::string TraceLines(const fs::path& source, bool expand) {
  LineReader reader;
  if (!reader.Open(source.string())) return "<cannot open>\n";
  std::string trace;
  while (reader.ReadLine(expand)) trace += std::to_string(reader.GetLineNumber()) + " " + TraceQuote(reader.GetLine()) + "\n";
  for (int i = 0; i < reader.GetDefinitionCount(); ++i) {
    const LineDefinition& definition = reader.GetDefinition(i);
    trace += std::string("define ") + definition.name + " " + TraceQuote(definition.value) + "\n";
  }
  if (reader.IncludeFailed()) trace += "include failed\n";
  return trace;
}

class LineCase : public testing::TestWithParam<std::string> {};

TEST_P(LineCase, LinesMatchExpected) {
  const fs::path source = kCases / (GetParam() + ".txt");
  bool any = false;
  for (const auto& [extension, expand] : {std::pair{".raw", false}, std::pair{".expanded", true}}) {
    const fs::path expected = kCases / (GetParam() + extension);
    if (!fs::exists(expected)) continue;
    any = true;
    EXPECT_EQ(ReadTextFile(expected), TraceLines(source, expand)) << extension;
  }
  EXPECT_TRUE(any) << "no .raw or .expanded beside " << source;
}

INSTANTIATE_TEST_SUITE_P(Cases, LineCase, testing::ValuesIn(ListCases(kCases, ".txt")), CaseName);

}  // namespace
