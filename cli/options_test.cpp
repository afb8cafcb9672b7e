#include "cli/options.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(OptionsTest, PortAddresses) {
  struct Case {
    const char* text;
    bool ok;
    uint16_t value;
  } cases[] = {
      {"C000", true, 0xC000}, {"c000", true, 0xC000}, {"0x378", true, 0x378},
      {"0XFFFF", true, 0xFFFF}, {"10000", false, 0},  {"", false, 0},
      {"0x", false, 0},       {"37 8", false, 0},     {"-1", false, 0},
  };
  for (const Case& c : cases) {
    uint16_t value = 0;
    EXPECT_EQ(c.ok, ParsePortAddress(c.text, &value)) << c.text;
    if (c.ok) {
      EXPECT_EQ(c.value, value) << c.text;
    }
  }
}

// Options of the program stand before or after the command alike.
TEST(OptionsTest, OptionsBeforeOrAfterTheCommand) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--sim", "b", "-q", "write", "f.hex",
                                 "--no-erase"},
        std::vector<std::string>{"write", "--no-erase", "f.hex", "--sim", "b",
                                 "--quiet"}}) {
    std::ostringstream out, err;
    CliOptions o;
    int code = -1;
    ASSERT_TRUE(ParseCliOptions(args, out, err, &o, &code)) << err.str();
    EXPECT_EQ("write", o.command);
    EXPECT_EQ("f.hex", o.file);
    EXPECT_EQ("b", o.sim_dir.value_or(""));
    EXPECT_TRUE(o.quiet);
    EXPECT_TRUE(o.no_erase);
  }
}

}  // namespace
