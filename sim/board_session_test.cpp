#include "sim/board_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/virtual_clock.h"
#include "sim/board_files.h"

namespace {

namespace fs = std::filesystem;

fs::path FreshDir(const std::string& name) {
  const fs::path dir = fs::path(::testing::TempDir()) / ("board_session_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A session saves the chip only when it changed, and appends its trace to
// the settings' trace file, relative to the board's folder or absolute.
TEST(BoardSessionTest, SavesAChangedChipAndAppendsItsTrace) {
  const fs::path dir = FreshDir("save");
  const fs::path elsewhere = FreshDir("save_elsewhere") / "abs.txt";
  for (const std::string& trace : {std::string("rel.txt"), elsewhere.string()}) {
    SCOPED_TRACE(trace);
    fs::remove(dir / kBoardChipFileName);
    std::ofstream(dir / kBoardSettingsFileName) << "trace = " << trace << "\n";
    VirtualClock clock;
    std::string error;
    std::unique_ptr<BoardSession> session =
        BoardSession::Open(dir, &clock, &error);
    ASSERT_NE(nullptr, session) << error;
    EXPECT_EQ(fs::path(trace).is_absolute() ? fs::path(trace) : dir / trace,
              session->trace_path());

    EXPECT_TRUE(session->SaveChipIfChanged(&error));
    EXPECT_FALSE(fs::exists(dir / kBoardChipFileName)) << "nothing changed";
    session->board().InitializeWinIo();
    session->board().SetPortVal(0xC0D4, 0x1234, 4);
    EXPECT_TRUE(session->FlushTrace(&error));
    EXPECT_TRUE(session->FlushTrace(&error));  // nothing new: nothing added
    std::vector<uint8_t> flash(kChipSize, 0xFF);
    flash[5] = 0x42;
    session->board().SetFlash(flash);
    EXPECT_TRUE(session->SaveChipIfChanged(&error));
    EXPECT_EQ(std::string(flash.begin(), flash.end()),
              Slurp(dir / kBoardChipFileName));
    const std::string text = Slurp(session->trace_path());
    EXPECT_NE(std::string::npos, text.find("InitializeWinIo\n"));
    EXPECT_NE(std::string::npos, text.find("out C0D4 <- 1234 (4)\n"));
    EXPECT_EQ(2, std::count(text.begin(), text.end(), '\n'));
  }
}

TEST(BoardSessionTest, UnusableFilesRefuseTheSession) {
  const fs::path dir = FreshDir("refuse");
  std::ofstream(dir / kBoardSettingsFileName) << "chip = maybe\n";
  VirtualClock clock;
  std::string error;
  EXPECT_EQ(nullptr, BoardSession::Open(dir, &clock, &error));
  EXPECT_NE(std::string::npos, error.find("line 1: expected present or absent"))
      << error;
  EXPECT_FALSE(fs::exists(dir / kBoardChipFileName));
}

}  // namespace
