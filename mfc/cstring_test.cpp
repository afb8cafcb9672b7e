#include "mfc/cstring.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CStringTest, FormatReplacesTheTextAndMayReadFromIt) {
  CString s("abc");
  s.Format("%s-%s", static_cast<const char*>(s), static_cast<const char*>(s));
  EXPECT_EQ(s.GetString(), "abc-abc");
  // Growing well past the old text, still reading from it.
  const std::string long_text(5000, 'x');
  s = long_text.c_str();
  s.Format("[%s]%s", static_cast<const char*>(s), static_cast<const char*>(s));
  EXPECT_EQ(s.GetString(), "[" + long_text + "]" + long_text);
  // Shorter than before; "端口" in GBK, passed through unchanged.
  s.Format("%s:%X", "端口", 0xC000);
  EXPECT_EQ(s.GetString(), "\xB6\xCB\xBF\xDA:C000");
  s.Format("%s", "");
  EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTest, NullTextIsEmpty) {
  CString s(static_cast<const char*>(nullptr));
  EXPECT_TRUE(s.IsEmpty());
  s = "x";
  s = static_cast<const char*>(nullptr);
  EXPECT_EQ(s.GetLength(), 0);
}

}  // namespace
