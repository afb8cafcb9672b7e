#include "mfc/file_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// std::string from a literal that holds NULs.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

TEST(FilterToNulFormTest, SeparatorsBecomeNulsAndTheEndIsDoubleNul) {
  struct Case {
    std::string filter;
    std::string expected;
  };
  const Case cases[] = {
      // The program's filter: one pair, no closing "||".
      {"二进制文件(*.bin)|*.bin",
       "\xB6\xFE\xBD\xF8\xD6\xC6\xCE\xC4\xBC\xFE(*.bin)" +
           Bytes("\0*.bin\0\0")},
      // Closed the classic MFC way: nothing is added.
      {"a|*.a||", Bytes("a\0*.a\0\0")},
      {"a|*.a|", Bytes("a\0*.a\0\0")},
      {"a|*.a|b|*.b", Bytes("a\0*.a\0b\0*.b\0\0")},
      {"|", Bytes("\0\0")},
      {"", ""},
      // "眧" is B1 7C and "亅" is 81 7C in GBK: their second byte is "|".
      {"眧(*.x)|*.x", "\xB1\x7C(*.x)" + Bytes("\0*.x\0\0")},
      {"亅|亅", "\x81\x7C" + Bytes("\0") + "\x81\x7C" + Bytes("\0\0")},
      // A lead byte at the very end has no second byte to protect.
      {"a|\x81", Bytes("a\0\x81\0\0")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FilterToNulForm(c.filter), c.expected) << c.filter;
  }
}

}  // namespace
