// Script values: the number-to-text rule, number strings, and copies that own
// their own text.
#include <gtest/gtest.h>

#include "script/script_tables.h"
#include "script/value.h"

namespace {

TEST(NumberToText, FollowsTheTenDigitRule) {
  for (const auto& row : ScriptTable("number_text.rows", 2))
    EXPECT_EQ(row[1], NumberToText(std::stod(row[0]))) << row[0];
}

TEST(IsNumberString, AcceptsOnlyPlainDecimals) {
  for (const auto& row : ScriptTable("number_strings.rows", 2))
    EXPECT_EQ(row[1] == "yes", IsNumberString(row[0].c_str())) << '"' << row[0] << '"';
}

TEST(ScriptValue, CopiesOwnTheirText) {
  ScriptValue a;
  a.SetString("first");
  ScriptValue b;
  b.Assign(a);
  a.SetString("second");
  EXPECT_STREQ("first", b.text);
  a.Clear();
  EXPECT_STREQ("first", b.text);
  b.Assign(b);
  EXPECT_STREQ("first", b.text);
  b.SetString(b.text + 1);  // from its own text
  EXPECT_STREQ("irst", b.text);
  ScriptValue moved(std::move(b));
  EXPECT_STREQ("irst", moved.text);
  EXPECT_EQ(SVT_None, b.type);  // NOLINT: a moved-from value is None
  // Values without text copy field by field over a text.
  ScriptValue ref;
  ref.SetReference(kStorageLocal, 5);
  moved.Assign(ref);
  EXPECT_EQ(SVT_Reference, moved.type);
  EXPECT_EQ(kStorageLocal, moved.ref.kind);
  EXPECT_EQ(5, moved.ref.index);
}

}  // namespace
