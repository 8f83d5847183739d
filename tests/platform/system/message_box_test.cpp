#include "platform/system/message_box.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageBox, WritesOneUtf8LineToStandardError) {
  testing::internal::CaptureStderr();
  ShowMessageBox("AUTO0#;#\n\nF(2,9) : error 23: \x90\xB3\x8F\xED\n", "Script Error");
  ShowMessageBox(nullptr, nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Script Error: AUTO0#;# F(2,9) : error 23: \xE6\xAD\xA3\xE5\xB8\xB8\n: \n");
}

}  // namespace
