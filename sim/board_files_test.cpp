#include "sim/board_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kHeader =
    "# Simulated programmer board: key = value, numbers hexadecimal.\n";

// A fresh, empty directory for one test, ending in its separator.
std::string FreshDir(const std::string& name) {
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) / ("board_files_" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string() + "/";
}

TEST(BoardFilesTest, SettingsAndChipRoundTripOrDefault) {
  const std::string dir = FreshDir("round_trip");
  BoardSettings changed;
  changed.rtl_base = 0xE800;
  changed.epp_port = 0x278;
  changed.signature[1] = 0x52;
  changed.signature[2] = 0x06;
  changed.chip_present = false;
  changed.lines_settle = false;
  changed.stuck[0x000] = StuckBits{0x01, 0x00};
  changed.stuck[0xFFF] = StuckBits{0x0F, 0xA0};
  changed.trace_file = "wiring trace.txt";
  // Every field has its own line: equal texts below mean equal settings.
  EXPECT_EQ(
      kHeader +
          "part = 89c51\nrtl_base = E800\nepp_port = 278\n"
          "signature = 1E 52 06\nchip = absent\nlines = noisy\nstuck = 0:01:00\nstuck = FFF:0F:A0\n"
          "trace = wiring trace.txt\n",
      FormatBoardSettings(changed));
  // Missing files: the default settings and an erased chip.
  BoardSettings loaded = changed;
  std::vector<uint8_t> flash(3, 0);
  std::string error;
  ASSERT_TRUE(LoadBoardFiles(dir, &loaded, &flash, &error)) << error;
  EXPECT_EQ(FormatBoardSettings(BoardSettings()), FormatBoardSettings(loaded));
  EXPECT_EQ(std::vector<uint8_t>(kChipSize, 0xFF), flash);

  std::vector<uint8_t> chip(kChipSize);
  for (uint32_t a = 0; a < kChipSize; ++a)
    chip[a] = static_cast<uint8_t>(a ^ (a >> 4));
  ASSERT_TRUE(SaveChipFile(dir, chip));
  for (const BoardSettings& saved : {changed, BoardSettings()}) {
    ASSERT_TRUE(SaveSettingsFile(dir, saved));
    ASSERT_TRUE(LoadBoardFiles(dir, &loaded, &flash, &error)) << error;
    EXPECT_EQ(FormatBoardSettings(saved), FormatBoardSettings(loaded));
    EXPECT_EQ(chip, flash);
  }
}

TEST(BoardFilesTest, ParsesCommentsBlankLinesAndLineEndings) {
  const std::string text =
      "# a board with a worn chip\r\n"
      "\r\n"
      "  rtl_base=0xe800   # second card\r\n"
      "epp_port = 278\n"
      "signature = 1e 52 6\n"
      "chip = present\n"
      "lines = noisy\n"
      "stuck = 1:0:80\n"
      "stuck = 0x1F2A : 3 : 0\n"
      "trace =\n"
      "part = 89c52\n";
  BoardSettings settings;
  std::string error;
  ASSERT_TRUE(ParseBoardSettings(text, &settings, &error)) << error;
  EXPECT_EQ(kHeader +
                "part = 89c52\nrtl_base = E800\nepp_port = 278\n"
                "signature = 1E 52 06\n"
                "chip = present\nlines = noisy\nstuck = 1:00:80\n"
                "stuck = 1F2A:03:00\ntrace = \n",
            FormatBoardSettings(settings));
  // An 89C52 has its own signature unless one is given.
  ASSERT_TRUE(ParseBoardSettings("part = 89c52", &settings, &error));
  EXPECT_EQ(8192u, settings.chip_size);
  EXPECT_EQ(0x52, settings.signature[1]);
  EXPECT_EQ(0xFF, settings.signature[2]);
}

TEST(BoardFilesTest, MalformedSettingsAreRejected) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"colour = red", "line 1: unknown key \"colour\""},
      {"rtl_base C000", "line 1: expected key = value"},
      {"rtl_base = 10000", "port address"},
      {"rtl_base = C0G0", "port address"},
      {"epp_port =", "port address"},
      {"# ok\nsignature = 1E 51", "line 2: expected three"},
      {"signature = 1E 51 FF 00", "expected three"},
      {"signature = 1E 51 100", "expected three"},
      {"chip = maybe", "present or absent"},
      {"lines = sometimes", "settle or noisy"},
      {"stuck = 1000:01:00", "stuck address 1000 is beyond the 4096-byte"},
      {"stuck = 2000:01:00\npart = 89c52", "address:zeros:ones"},
      {"part = 89c53", "line 1: expected 89c51 or 89c52"},
      {"stuck = 10:01", "address:zeros:ones"},
      {"stuck = 10:100:00", "address:zeros:ones"},
      {"stuck = 10:01:01", "at 0 and at 1"},
      {"stuck = 10:01:00\nstuck = 10:02:00", "line 2: address given twice"},
      {"rtl_base = C000\nrtl_base = C100", "line 2: \"rtl_base\" given twice"},
  };
  for (const Case& c : cases) {
    BoardSettings settings;
    settings.epp_port = 0x1234;
    std::string error;
    EXPECT_FALSE(ParseBoardSettings(c.text, &settings, &error)) << c.text;
    EXPECT_NE(std::string::npos, error.find(c.error))
        << c.text << ": " << error;
    EXPECT_EQ(0x1234, settings.epp_port) << "left alone on an error";
  }
}

TEST(BoardFilesTest, LoadReportsBadFilesWithTheirNames) {
  const std::string dir = FreshDir("bad_files");
  BoardSettings settings;
  std::vector<uint8_t> flash;
  std::string error;
  std::ofstream(dir + kBoardSettingsFileName) << "chip = gone\n";
  EXPECT_FALSE(LoadBoardFiles(dir, &settings, &flash, &error));
  EXPECT_EQ(dir + "simboard.ini line 1: expected present or absent", error);
  EXPECT_TRUE(settings.chip_present);

  std::filesystem::remove(dir + kBoardSettingsFileName);
  std::ofstream(dir + kBoardChipFileName) << std::string(100, 'x');
  EXPECT_FALSE(LoadBoardFiles(dir, &settings, &flash, &error));
  EXPECT_EQ(dir + "simchip.bin holds 100 bytes, not 4096", error);
  EXPECT_EQ(std::vector<uint8_t>(kChipSize, 0xFF), flash);
}

TEST(BoardFilesTest, SavingReportsFailureAndTraceIsAppended) {
  const std::string dir = FreshDir("save");
  const std::string missing = dir + "no/such/dir/";
  EXPECT_FALSE(SaveChipFile(missing, std::vector<uint8_t>(kChipSize, 0)));
  EXPECT_FALSE(SaveSettingsFile(missing, BoardSettings()));
  EXPECT_FALSE(AppendTraceFile(missing + "trace.txt", {"x"}));
  EXPECT_FALSE(SaveChipFile(dir, std::vector<uint8_t>(kChipSize - 1, 0)));

  ASSERT_TRUE(AppendTraceFile(dir + "trace.txt", {"one", "two"}));
  ASSERT_TRUE(AppendTraceFile(dir + "trace.txt", {}));
  ASSERT_TRUE(AppendTraceFile(dir + "trace.txt", {"three"}));
  std::ifstream in(dir + "trace.txt", std::ios::binary);
  EXPECT_EQ("one\ntwo\nthree\n",
            std::string(std::istreambuf_iterator<char>(in), {}));
}

}  // namespace
