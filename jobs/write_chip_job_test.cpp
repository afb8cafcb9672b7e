#include "jobs/write_chip_job.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/board_rig.h"

namespace {

const std::string kStart = "坏块记录开始:\r\n", kEnd = "坏块记录结束:\r\n";

class WriteChipJobTest : public BoardTest {
 protected:
  // Runs the job on `image`, or (null) on the file the Open dialog answers.
  void Run(const std::string* image, const std::string& name = "a.bin") {
    if (image != nullptr) Spill(dir_ / name, *image);
    host_.path = name.empty() || name[0] == '/' ? name : (dir_ / name).string();
    RunWriteChipJob(session_, host_, dir_);
  }
  void Run(const std::string& image) { Run(&image); }
  std::string Log() const { return Slurp(dir_ / kBadBlockLogName); }
  ScriptedJobHost host_;
};

// The whole chip: one program and one read cycle per address after the
// one-second pause, the last address shown, and the log's two lines only.
TEST_F(WriteChipJobTest, WholeChipThatVerifiesLogsOnlyStartAndEnd) {
  Spill(dir_ / kBadBlockLogName, std::string(100, 'x'));  // replaced
  Run(Pattern(4096));
  EXPECT_EQ(Pattern(4096), Flash());
  EXPECT_EQ(kStart + kEnd, Log());
  EXPECT_EQ(4096, host_.updates);
  EXPECT_EQ("ADDR=FFF,DATA=A", host_.label);
  EXPECT_EQ(std::make_pair(4096, 4096), Cycles());
  EXPECT_EQ(1000u, clock_.Sleeps()[0]);
  EXPECT_EQ(1u + 11u * 4096, clock_.Sleeps().size());
  EXPECT_EQ((1000u + 3u * 4096) * 1000u, clock_.NowUs());
  EXPECT_TRUE(host_.messages.empty());
}

// Each run's log replaces the last, with a line per address that never
// read back what was written: the byte written, the byte last read (which
// the label shows too).
TEST_F(WriteChipJobTest, EachRunLogsItsFailingAddresses) {
  BoardSettings stuck;
  stuck.stuck[1].zeros = 0x01;
  stuck.stuck[3].ones = 0x80;
  board_.SetSettings(stuck);
  Run(std::string("\x20\x0F\x33\x00", 4));
  EXPECT_EQ(kStart + "写地址1失败,写数据F,效验数据E\r\n" +
                "写地址3失败,写数据0,效验数据80\r\n" + kEnd,
            Log());
  EXPECT_EQ("ADDR=3,DATA=80", host_.label);
  Run("");
  EXPECT_EQ(kStart + kEnd, Log());
  EXPECT_EQ("ADDR=3,DATA=80", host_.label) << "an empty file shows nothing";
  EXPECT_TRUE(host_.messages.empty());
}

// Every way the job ends before programming: its message and nothing else.
// A log that cannot be made is told, and programming goes on. A closing
// program stops at the next address and still ends the log.
TEST_F(WriteChipJobTest, RefusalsNoLogAndClosing) {
  Spill(dir_ / "big.bin", Pattern(4097));
  std::filesystem::create_directory(dir_ / "folder.bin");
  for (const auto& refusal : std::vector<std::pair<std::string, std::string>>{
           {"", ""},
           {"missing.bin", "Could not open *.jmu."},
           {"folder.bin", "Could not open *.jmu."},
           {"big.bin", "*.bin文件不能大于4k"},
           {"/proc/self/mem", "读文件出错!"}}) {  // opens, but cannot be read
    host_ = ScriptedJobHost();
    Run(nullptr, refusal.first);
    EXPECT_EQ(refusal.second, host_.messages.empty() ? "" : host_.messages[0]);
  }
  EXPECT_EQ(std::make_pair(0, 0), Cycles());
  EXPECT_TRUE(clock_.Sleeps().empty() && Log().empty());

  host_ = ScriptedJobHost();
  Run(Pattern(100));
  RunWriteChipJob(session_, host_, dir_ / "big.bin");
  EXPECT_EQ(std::vector<std::string>{"Could not creat *.*."}, host_.messages);
  EXPECT_EQ(Pattern(100), Flash(100));
  SetFlash("");
  Cycles();
  host_ = ScriptedJobHost();
  host_.stop_after = 10;
  Run(nullptr);
  EXPECT_EQ(Pattern(10) + std::string(90, '\xFF'), Flash(100));
  EXPECT_EQ(kStart + kEnd, Log());
  EXPECT_EQ(10, Cycles().first);
}

}  // namespace
