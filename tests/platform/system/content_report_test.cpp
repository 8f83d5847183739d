#include "platform/system/content_report.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system/content_path.h"

namespace {

// A content fault's line names the file as the content names it: the
// program folder (a disk path the author never wrote) left out, the name in
// UTF-8 and unable to drive the terminal.
TEST(ContentReportTest, NamesTheFileAsTheContentNamesItInOneLine) {
  SetProgramDir("/games/\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0");  // a UTF-8 disk folder
  const struct {
    std::string path;
    int line;
    std::string printed;
  } cases[] = {
      {"/games/\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0/scenes\\stage.scn", 12,
       "t3dplayer: scenes\\stage.scn:12: the markup stops here\n"},
      // Shift-JIS "表示.scn" (the second byte of 表 is a backslash), no line.
      {"/games/\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0/\x95\x5C\x8E\xA6.scn", 0,
       "t3dplayer: \xe8\xa1\xa8\xe7\xa4\xba.scn: the markup stops here\n"},
      {"/games/\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0/ev\x1b[31mil\nx.txt", 3,
       "t3dplayer: ev\\x1b[31mil\\nx.txt:3: the markup stops here\n"},
      // A file the content named outside the folder keeps its whole name.
      {"C:\\data\\a.txt", 0, "t3dplayer: C:\\data\\a.txt: the markup stops here\n"},
      {"/games/\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0/", 0, "t3dplayer: \"\": the markup stops here\n"},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    ReportContentFault(c.path, c.line, "the markup stops here");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.printed);
  }
  SetProgramDir("");
}

}  // namespace
