#include <gtest/gtest.h>

#include <cstring>

#include "script/errors.h"
#include "script/script_tables.h"

namespace {

TEST(ErrorMessages, EveryCodeHasItsShiftJisMessage) {
  for (const auto& row : ScriptTable("error_messages.rows", 2))
    EXPECT_EQ(GetErrorMessage(std::stoi(row[0])), row[1]) << row[0];
  // The rest must at least exist and end in the Japanese full stop (0x81 0x42).
  for (int code = 1; code < kErrorCodeCount; ++code) {
    const char* message = GetErrorMessage(code);
    std::size_t length = std::strlen(message);
    ASSERT_GE(length, 2u) << code;
    EXPECT_STREQ(message + length - 2, "\x81" "B") << code;
  }
}

}  // namespace
