#include "jobs/write_chip_job.h"

#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "base/format.h"
#include "jobs/bad_block_log.h"
#include "jobs/job_test_rig.h"

namespace {

const std::string kStart = "坏块记录开始:\r\n";
const std::string kEnd = "坏块记录结束:\r\n";

std::string FailLine(uint32_t address, int written, int read) {
  return Format("写地址%X失败,写数据%X,效验数据%X\r\n", address, written, read);
}

class WriteChipJobTest : public JobTest {
 protected:
  // Writes `image` as the file the Open dialog answers with, and runs.
  void Program(const std::string& image) {
    dir_.Write("image.bin", image);
    host_.open_path = dir_.Path("image.bin");
    EXPECT_EQ(0u, RunWriteChipJob(link_, host_, dir_.Path()));
  }
  std::string Log() const { return dir_.Read(kBadBlockLogName); }
};

TEST_F(WriteChipJobTest, WholeChipThatVerifiesLogsOnlyStartAndEnd) {
  // A log handle left open by an earlier run is closed, not written.
  link_.m_hLogFile = CreateFileAlways(dir_.Path("stale.txt"));
  const std::string image = Image(kChipSize);
  Program(image);

  EXPECT_EQ(image, Flash());
  EXPECT_EQ(image + "\x5C", CodeImage(kImageBufferSize));
  EXPECT_EQ(image, ReadImage());
  EXPECT_EQ(0x5C, link_.m_readImage[kChipSize]) << "spare byte untouched";
  EXPECT_EQ(kStart + kEnd, Log());
  EXPECT_EQ("", dir_.Read("stale.txt"));
  EXPECT_EQ(4096, host_.write_updates);
  EXPECT_EQ("ADDR=FFF,DATA=A", host_.write_status);
  EXPECT_EQ(0, host_.read_updates);
  // Exactly one program cycle and one read cycle at each address.
  EXPECT_EQ(kChipSize, port_.programs.size());
  EXPECT_EQ(kChipSize, port_.reads.size());
  EXPECT_EQ(8192, port_.TotalPrograms() + port_.TotalReads());
  ExpectEnded();
  // The one-second pause comes first; then per address a program cycle
  // (six sleeps, 3 ms), a read cycle (four yields) and the job's yield.
  const std::vector<uint32_t> sleeps = clock_.Sleeps();
  ASSERT_FALSE(sleeps.empty());
  EXPECT_EQ(1000u, sleeps[0]);
  EXPECT_EQ(1u + 11u * kChipSize, sleeps.size());
  EXPECT_EQ((1000u + 3u * kChipSize) * 1000u, clock_.NowUs());
}

// Chips that never read back what was written: one line per failing
// address with the byte written and the byte last read. Run one after the
// other, each run's log replaces the one before.
TEST_F(WriteChipJobTest, EachRunLogsItsFailingAddresses) {
  BoardSettings stuck;
  stuck.stuck[1].zeros = 0x01;
  stuck.stuck[3].ones = 0x80;
  BoardSettings absent;
  absent.chip_present = false;
  const struct Case {
    const char* name;
    BoardSettings settings;
    std::string image;
    std::string failures;
  } cases[] = {
      {"stuck bits", stuck, std::string("\x20\x0F\x33\x00\x44", 5),
       FailLine(1, 0x0F, 0x0E) + FailLine(3, 0x00, 0x80)},
      // Floating data lines read FF, so only the FF byte verifies.
      {"absent chip", absent, std::string("\x00\x12\xFF\xA5", 4),
       FailLine(0, 0x00, 0xFF) + FailLine(1, 0x12, 0xFF) +
           FailLine(3, 0xA5, 0xFF)},
      {"good chip", BoardSettings(), "\x01\x02", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    board_.SetSettings(c.settings);
    SetFlash("");
    Program(c.image);
    EXPECT_EQ(kStart + c.failures + kEnd, Log());
    ExpectEnded();
  }
}

TEST_F(WriteChipJobTest, EmptyFileLogsStartAndEndAndLeavesTheLabel) {
  host_.write_status = "earlier text";
  Program("");
  EXPECT_EQ(kStart + kEnd, Log());
  EXPECT_EQ(0, host_.write_updates);
  EXPECT_EQ("earlier text", host_.write_status);
  EXPECT_EQ(0, port_.TotalPrograms() + port_.TotalReads());
  EXPECT_EQ(std::vector<uint32_t>{1000}, clock_.Sleeps());
  ExpectEnded();
}

// Every way the job can end before programming: its message (if any) and
// nothing else: no log, no port access, images and labels as they were.
TEST_F(WriteChipJobTest, RefusedImagesChangeNothing) {
  dir_.Write("big.bin", Image(kChipSize) + "x");
  std::filesystem::create_directory(dir_.Path("folder.bin"));
  // Sparse: its size in 32 bits is 10.
  dir_.Write("huge.bin", "");
  std::filesystem::resize_file(dir_.Path("huge.bin"), (1ull << 32) + 10);
  struct Case {
    std::string path;  // empty: the Open dialog is cancelled
    std::vector<std::string> messages;
  } cases[] = {
      {"", {}},
      {dir_.Path("missing.bin"), {"Could not open *.jmu."}},
      {dir_.Path("big.bin"), {"*.bin文件不能大于4k"}},
      {dir_.Path("huge.bin"), {"*.bin文件不能大于4k"}},
      // A folder is not an image file.
      {dir_.Path("folder.bin"), {"Could not open *.jmu."}},
      // Opens, but reading it fails at once.
      {"/proc/self/mem", {"读文件出错!"}},
  };
  dir_.Write(kBadBlockLogName, "an earlier log");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    host_ = ScriptedJobHost();
    host_.open_path = c.path;
    EXPECT_EQ(0u, RunWriteChipJob(link_, host_, dir_.Path()));
    EXPECT_EQ(1, host_.open_dialogs);
    EXPECT_EQ(0, host_.write_updates + host_.read_updates + host_.save_dialogs);
    ExpectEnded(c.messages);
  }
  EXPECT_EQ("an earlier log", Log());
  EXPECT_EQ(std::string(kImageBufferSize, '\x5C'), CodeImage(kImageBufferSize));
  EXPECT_EQ(std::string(kImageBufferSize, '\x5C'), ReadImage(kImageBufferSize));
  EXPECT_EQ(0, port_.TotalPrograms() + port_.TotalReads());
  EXPECT_TRUE(clock_.Sleeps().empty());
  EXPECT_EQ(std::string(kChipSize, '\xFF'), Flash());
}

TEST_F(WriteChipJobTest, LogThatCannotBeCreatedIsToldOnceAndProgrammingGoesOn) {
  BoardSettings stuck;
  stuck.stuck[0].zeros = 0x01;
  stuck.stuck[2].zeros = 0x01;
  board_.SetSettings(stuck);
  dir_.Write("image.bin", "\x11\x22\x33\x44");
  host_.open_path = dir_.Path("image.bin");
  RunWriteChipJob(link_, host_, dir_.Path("no-such-dir/"));
  EXPECT_EQ("\x10\x22\x32\x44", ReadImage(4));
  EXPECT_EQ(4, host_.write_updates);
  ExpectEnded({"Could not creat *.*."});
}

// Opening the image for writing as well would fail here. As root, the
// file-system user is switched to nobody so the file mode counts.
TEST_F(WriteChipJobTest, ReadOnlyImageProgramsFine) {
  const std::string image = Image(64);
  dir_.Write("image.bin", image);
  ASSERT_EQ(0, chmod(dir_.Path("image.bin").c_str(), 0444));
  ASSERT_EQ(0, chmod(dir_.Path().c_str(), 0777));  // the log is made there
  const bool root = geteuid() == 0;
  if (root) setfsuid(65534);
  host_.open_path = dir_.Path("image.bin");
  RunWriteChipJob(link_, host_, dir_.Path());
  if (root) setfsuid(0);
  EXPECT_EQ(image, Flash(64));
  EXPECT_EQ(kStart + kEnd, Log());
  ExpectEnded();
}

TEST_F(WriteChipJobTest, StopRequestedStopsAtNextAddressAndEndsTheLog) {
  host_.stop_after_updates = 10;
  const std::string image = Image(100);
  Program(image);
  EXPECT_EQ(10, host_.write_updates);
  EXPECT_EQ(10, port_.TotalPrograms());
  EXPECT_EQ(image.substr(0, 10) + std::string(kChipSize - 10, '\xFF'), Flash());
  EXPECT_EQ(kStart + kEnd, Log());
  ExpectEnded();
}

}  // namespace
