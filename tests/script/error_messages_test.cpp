#include <gtest/gtest.h>

#include <cstring>

#include "script/errors.h"

namespace {

TEST(ErrorMessages, EveryCodeHasItsShiftJisMessage) {
  // Spot checks of exact bytes; the rest must at least exist and end in the
  // Japanese full stop (0x81 0x42) or, for the stack codes, a full stop too.
  EXPECT_STREQ(GetErrorMessage(0), "\x90\xB3\x8F\xED");
  EXPECT_STREQ(GetErrorMessage(14),
               "%s \x82\xC6\x93\xAF\x82\xB6\x96\xBC\x91O\x82\xCC\x83\x89\x83x\x83\x8B\x82\xCD\x8A\xF9"
               "\x82\xC9\x8Eg\x97p\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81" "B");
  EXPECT_STREQ(GetErrorMessage(2),
               "#include \x82\xC5\x8Ew\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x83t\x83@\x83" "C\x83\x8B\x82\xAA"
               "\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "B");
  for (int code = 1; code < kErrorCodeCount; ++code) {
    const char* message = GetErrorMessage(code);
    std::size_t length = std::strlen(message);
    ASSERT_GE(length, 2u) << code;
    EXPECT_STREQ(message + length - 2, "\x81" "B") << code;
  }
}

TEST(ErrorMessages, CodesOutsideTheTableGiveEmptyText) {
  EXPECT_STREQ(GetErrorMessage(-1), "");
  EXPECT_STREQ(GetErrorMessage(kErrorCodeCount), "");
}

}  // namespace
