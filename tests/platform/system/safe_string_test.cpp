#include "platform/system/safe_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The whole buffer after the call, bytes past the terminator included.
std::string Bytes(const char* buffer, std::size_t size) { return std::string(buffer, size); }

TEST(SafeString, CopyCutsOnlyWhatDoesNotFit) {
  struct Case {
    const char* source;
    std::size_t size;
    std::string expected;  // all `size` bytes of the buffer
  } cases[] = {
      {"abcd", 5, std::string("abcd\0", 5)},              // size-1 characters: all kept
      {"abcde", 5, std::string("abcd\0", 5)},             // size characters: the last lost
      {"ab", 5, std::string("ab\0\0\0", 5)},              // rest zero-filled
      {"", 3, std::string("\0\0\0", 3)},
      {"abc", 1, std::string("\0", 1)},
      {"a\x82\xA0" "b", 4, std::string("a\x82\xA0\0", 4)},  // pair fits exactly
      {"ab\x82\xA0", 4, std::string("ab\0\0", 4)},          // pair would be split: dropped whole
      {"ab\x83\x5C", 4, std::string("ab\0\0", 4)},          // trail byte equal to a backslash
      {"a\x82", 4, std::string("a\x82\0\0", 4)},            // lead byte before the end: one byte
  };
  for (const Case& c : cases) {
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    SafeStrCopy(buffer, c.source, c.size);
    EXPECT_EQ(Bytes(buffer, c.size), c.expected) << c.source << " size " << c.size;
    EXPECT_EQ(buffer[c.size], 'X') << "wrote past the buffer";
  }
}

TEST(SafeString, CatKeepsOnlyWhatFits) {
  struct Case {
    const char* initial;
    const char* source;
    std::size_t size;
    const char* expected;
  } cases[] = {
      {"ab", "cd", 8, "abcd"},
      {"abcde", "fgh", 8, "abcdefg"},    // nearly full: only what fits
      {"abcdefg", "h", 8, "abcdefg"},    // full: nothing added
      {"abcd", "\x82\xA0\x82\xA2", 8, "abcd\x82\xA0"},
      {"abcde", "\x82\xA0", 8, "abcde\x82\xA0"},
      {"abcdef", "\x82\xA0", 8, "abcdef"},  // pair would be split
      {"", "xyz", 2, "x"},
  };
  for (const Case& c : cases) {
    char buffer[9];
    std::memset(buffer, 'X', sizeof buffer);
    std::memcpy(buffer, c.initial, std::strlen(c.initial) + 1);
    SafeStrCat(buffer, c.source, c.size);
    EXPECT_STREQ(buffer, c.expected) << c.initial << " + " << c.source;
    EXPECT_EQ(buffer[c.size], 'X') << "wrote past the buffer";
  }
}

TEST(SafeString, UnterminatedOrZeroSizedBuffersAreNeverOverrun) {
  char buffer[5];
  std::memset(buffer, 'A', sizeof buffer);
  SafeStrCat(buffer, "z", sizeof buffer);
  EXPECT_EQ(Bytes(buffer, 5), std::string("AAAA\0", 5));
  SafeStrCopy(buffer, "abc", 0);
  SafeStrCat(buffer, "abc", 0);
  EXPECT_EQ(Bytes(buffer, 5), std::string("AAAA\0", 5));
}

}  // namespace
