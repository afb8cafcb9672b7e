#include "sim/board_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/virtual_clock.h"
#include "link/programmer_link.h"

namespace {

// A fresh, empty directory for one test, ending in its separator.
std::string FreshDir(const std::string& name) {
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) / ("board_files_" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string() + "/";
}

void WriteText(const std::string& path, const std::string& text) {
  FileHandle f = CreateFileAlways(path);
  ASSERT_TRUE(IsOpenFile(f));
  WriteFileBytes(f, text.data(), static_cast<uint32_t>(text.size()));
  CloseFileHandle(f);
}

std::string ReadText(const std::string& path) {
  FileHandle f = OpenFileForReading(path);
  std::string text(FileSizeOf(f), '\0');
  if (!text.empty())
    ReadFileBytes(f, &text[0], static_cast<uint32_t>(text.size()));
  CloseFileHandle(f);
  return text;
}

void ExpectSameSettings(const BoardSettings& a, const BoardSettings& b) {
  EXPECT_EQ(a.rtl_base, b.rtl_base);
  EXPECT_EQ(a.epp_port, b.epp_port);
  for (int n = 0; n < 3; ++n) EXPECT_EQ(a.signature[n], b.signature[n]);
  EXPECT_EQ(a.chip_present, b.chip_present);
  EXPECT_EQ(a.lines_settle, b.lines_settle);
  ASSERT_EQ(a.stuck.size(), b.stuck.size());
  for (const auto& entry : a.stuck) {
    ASSERT_EQ(1u, b.stuck.count(entry.first)) << std::hex << entry.first;
    EXPECT_EQ(entry.second.zeros, b.stuck.at(entry.first).zeros);
    EXPECT_EQ(entry.second.ones, b.stuck.at(entry.first).ones);
  }
  EXPECT_EQ(a.trace_file, b.trace_file);
}

TEST(BoardFilesTest, MissingFilesGiveDefaultsAndAnErasedChip) {
  const std::string dir = FreshDir("missing");
  BoardSettings settings;
  settings.chip_present = false;
  std::vector<uint8_t> flash(3, 0);
  std::string error;
  ASSERT_TRUE(LoadBoardFiles(dir, &settings, &flash, &error)) << error;
  ExpectSameSettings(BoardSettings(), settings);
  EXPECT_EQ(std::vector<uint8_t>(kChipSize, 0xFF), flash);
}

TEST(BoardFilesTest, SettingsRoundTrip) {
  const std::string dir = FreshDir("round_trip");
  BoardSettings saved;
  saved.rtl_base = 0xE800;
  saved.epp_port = 0x278;
  saved.signature[1] = 0x52;
  saved.signature[2] = 0x06;
  saved.chip_present = false;
  saved.lines_settle = false;
  saved.stuck[0x000] = StuckBits{0x01, 0x00};
  saved.stuck[0xFFF] = StuckBits{0x0F, 0xA0};
  saved.trace_file = "wiring trace.txt";
  ASSERT_TRUE(SaveSettingsFile(dir, saved));
  BoardSettings loaded;
  std::vector<uint8_t> flash;
  std::string error;
  ASSERT_TRUE(LoadBoardFiles(dir, &loaded, &flash, &error)) << error;
  ExpectSameSettings(saved, loaded);
  // And the defaults, written out, read back as the defaults.
  ASSERT_TRUE(SaveSettingsFile(dir, BoardSettings()));
  ASSERT_TRUE(LoadBoardFiles(dir, &loaded, &flash, &error)) << error;
  ExpectSameSettings(BoardSettings(), loaded);
}

TEST(BoardFilesTest, ALaterBoardSeesWhatAnEarlierOneProgrammed) {
  const std::string dir = FreshDir("later_board");
  std::vector<uint8_t> image(kChipSize);
  for (uint32_t a = 0; a < kChipSize; ++a)
    image[a] = static_cast<uint8_t>(a ^ (a >> 4));
  {
    VirtualClock clock;
    SimBoard board(&clock, BoardSettings());
    ProgrammerLink link(&board, &clock);
    link.InitializeWinIo();
    link.EraseChip();
    for (uint32_t a = 0; a < kChipSize; ++a) link.WriteCodeByte(a, image[a]);
    ASSERT_TRUE(SaveChipFile(dir, board.Flash()));
  }
  BoardSettings settings;
  std::vector<uint8_t> flash;
  std::string error;
  ASSERT_TRUE(LoadBoardFiles(dir, &settings, &flash, &error)) << error;
  VirtualClock clock;
  SimBoard board(&clock, settings);
  board.SetFlash(flash);
  ProgrammerLink link(&board, &clock);
  link.InitializeWinIo();
  for (uint32_t a = 0; a < kChipSize; ++a)
    ASSERT_EQ(image[a], link.ReadCodeByte(a)) << std::hex << a;
  EXPECT_TRUE(board.Violations().empty());
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
      "stuck = 0x2A : 3 : 0\n"
      "trace =\n";
  BoardSettings settings;
  std::string error;
  ASSERT_TRUE(ParseBoardSettings(text, &settings, &error)) << error;
  BoardSettings expected;
  expected.rtl_base = 0xE800;
  expected.epp_port = 0x278;
  expected.signature[0] = 0x1E;
  expected.signature[1] = 0x52;
  expected.signature[2] = 0x06;
  expected.lines_settle = false;
  expected.stuck[0x001] = StuckBits{0x00, 0x80};
  expected.stuck[0x02A] = StuckBits{0x03, 0x00};
  ExpectSameSettings(expected, settings);
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
      {"stuck = 1000:01:00", "address:zeros:ones"},
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
    EXPECT_NE(std::string::npos, error.find(c.error)) << c.text << ": "
                                                      << error;
    EXPECT_EQ(0x1234, settings.epp_port) << "left alone on an error";
  }
}

TEST(BoardFilesTest, LoadReportsBadFilesWithTheirNames) {
  const std::string dir = FreshDir("bad_files");
  WriteText(dir + kBoardSettingsFileName, "chip = gone\n");
  BoardSettings settings;
  std::vector<uint8_t> flash;
  std::string error;
  EXPECT_FALSE(LoadBoardFiles(dir, &settings, &flash, &error));
  EXPECT_EQ(dir + "simboard.ini line 1: expected present or absent", error);
  EXPECT_TRUE(settings.chip_present);

  std::remove((dir + kBoardSettingsFileName).c_str());
  WriteText(dir + kBoardChipFileName, std::string(100, '\0'));
  EXPECT_FALSE(LoadBoardFiles(dir, &settings, &flash, &error));
  EXPECT_EQ(dir + "simchip.bin holds 100 bytes, not 4096", error);
  EXPECT_EQ(std::vector<uint8_t>(kChipSize, 0xFF), flash);
}

TEST(BoardFilesTest, SavingReportsFailure) {
  const std::string missing = FreshDir("save_fail") + "no/such/dir/";
  EXPECT_FALSE(SaveChipFile(missing, std::vector<uint8_t>(kChipSize, 0)));
  EXPECT_FALSE(SaveSettingsFile(missing, BoardSettings()));
  EXPECT_FALSE(AppendTraceFile(missing + "trace.txt", {"x"}));
  const std::string dir = FreshDir("save_size");
  EXPECT_FALSE(SaveChipFile(dir, std::vector<uint8_t>(kChipSize - 1, 0)));
}

TEST(BoardFilesTest, TraceIsAppended) {
  const std::string path = FreshDir("trace") + "trace.txt";
  ASSERT_TRUE(AppendTraceFile(path, {"one", "two"}));
  ASSERT_TRUE(AppendTraceFile(path, {}));
  ASSERT_TRUE(AppendTraceFile(path, {"three"}));
  EXPECT_EQ("one\ntwo\nthree\n", ReadText(path));
}

}  // namespace
