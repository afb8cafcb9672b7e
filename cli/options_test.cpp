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

TEST(OptionsTest, Sizes) {
  const struct {
    const char* text;
    bool ok;
    uint64_t bytes;
  } cases[] = {
      {"0", true, 0},        {"4096", true, 4096},   {"64k", true, 65536},
      {"1M", true, 1 << 20}, {"2G", true, 2ull << 30}, {"", false, 0},
      {"1.5M", false, 0},    {"1KB", false, 0},      {"-1", false, 0},
      {"K", false, 0},       {"99999999999G", false, 0},
  };
  for (const auto& c : cases) {
    uint64_t bytes = 7;
    EXPECT_EQ(c.ok, ParseSize(c.text, &bytes)) << c.text;
    EXPECT_EQ(c.ok ? c.bytes : 7, bytes) << c.text;
  }
}

// Every refused command line is told on standard error under the program's
// name, CLI11's own refusals too, with exit code 2.
TEST(OptionsTest, RefusalsAreToldByName) {
  const struct {
    std::vector<std::string> args;
    const char* said;
  } cases[] = {
      {{"read"}, "tarnwick: FILE is required\n"},
      {{"read", "a.bin", "b.bin"}, "tarnwick: "},
      {{"--bogus", "read", "a.bin"}, "tarnwick: "},
      {{"--wait", "86401", "signature"}, "tarnwick: --wait: expected seconds"},
      {{"signature", "--trace-limit", "1M"},
       "tarnwick: --trace-limit goes with --trace"},
      {{"signature", "--trace", "t", "--trace-limit", "lots"},
       "tarnwick: --trace-limit: expected a size"},
      {{"batch", "f", "--serial", "10000,4,bcd", "--serial-file", "s"},
       "tarnwick: --serial: the address"},
      {{"batch", "f", "--serial", "10,2,le"}, "tarnwick: --serial needs"},
      {{"batch", "f", "--serial-step", "1"},
       "tarnwick: --serial-step goes with --serial"},
      {{"batch", "f", "--serial", "10,2,le", "--serial-file", "s",
        "--serial-step", "0"}, "tarnwick: --serial-step: expected"},
      {{"batch", "f", "--serial", "10,2,le", "--serial-file", "s",
        "--serial-start", "-1"}, "tarnwick: --serial-start: expected"},
      {{"batch", "f", "--count", "4294967296"}, "tarnwick: --count: expected"},
      {{"batch", "f", "--force"}, "tarnwick: --force does not go with batch"},
      {{"batch", "-", "--prompt"}, "tarnwick: batch - with --prompt"},
      {{"write", "f", "--journal", "j.csv"},
       "tarnwick: --journal goes with batch"},
      {{"verify", "f", "--expect-sum", "10000"},
       "tarnwick: --expect-sum: expected"},
      {{"checksum", "f", "--expect-crc", "x"},
       "tarnwick: --expect-crc: expected"},
      {{"erase", "--expect-crc", "1"}, "tarnwick: --expect-crc goes with"},
      {{"read", "-", "--json"}, "tarnwick: read - with --json"},
  };
  for (const auto& c : cases) {
    std::ostringstream out, err;
    CliOptions o;
    int code = -1;
    EXPECT_FALSE(ParseCliOptions(c.args, out, err, &o, &code));
    EXPECT_EQ(2, code);
    EXPECT_EQ("", out.str());
    EXPECT_EQ(0u, err.str().find(c.said)) << err.str();
  }
}

}  // namespace
