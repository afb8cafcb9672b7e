#include "jobs/read_chip_job.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/format.h"
#include "base/virtual_clock.h"
#include "jobs/cycle_counting_port.h"
#include "jobs/scripted_job_host.h"
#include "jobs/test_dir.h"
#include "sim/sim_board.h"

namespace {

// A chip image whose byte at 0xFFF is 0x0A (shown as DATA=A).
std::vector<uint8_t> Pattern() {
  std::vector<uint8_t> bytes(kChipSize);
  for (uint32_t a = 0; a < kChipSize; ++a)
    bytes[a] = static_cast<uint8_t>(a * 7 + (a >> 8));
  bytes[0xFFF] = 0x0A;
  return bytes;
}

std::string AsString(const uint8_t* bytes, size_t n) {
  return std::string(reinterpret_cast<const char*>(bytes), n);
}

class ReadChipJobTest : public ::testing::Test {
 protected:
  ReadChipJobTest() {
    board_.SetFlash(Pattern());
    std::memset(link_.m_readImage, 0x5C, sizeof link_.m_readImage);
  }

  std::string ReadImage(uint32_t n = kChipSize) const {
    return AsString(link_.m_readImage, n);
  }

  VirtualClock clock_;
  SimBoard board_{&clock_, BoardSettings()};
  CycleCountingPort port_{&board_};
  ProgrammerLink link_{&port_, &clock_};
  ScriptedJobHost host_;
  TestDir dir_;
};

TEST_F(ReadChipJobTest, ReadsEveryAddressOnceAndSavesTheImage) {
  host_.save_path = dir_.Path("chip.bin");
  dir_.Write("chip.bin", std::string(5000, 'x'));  // replaced whole
  link_.InitializeWinIo();
  EXPECT_EQ(0u, RunReadChipJob(link_, host_));

  const std::vector<uint8_t> flash = Pattern();
  const std::string expected = AsString(flash.data(), flash.size());
  EXPECT_EQ(expected, ReadImage());
  EXPECT_EQ(0x5C, link_.m_readImage[kChipSize]) << "spare byte untouched";
  EXPECT_EQ(expected, dir_.Read("chip.bin"));
  EXPECT_EQ(1, host_.save_dialogs);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(4096, host_.read_updates);
  EXPECT_EQ("ADDR=FFF,\tDATA=A", host_.read_status);
  EXPECT_EQ(0, host_.write_updates);
  for (uint32_t a = 0; a < kChipSize; ++a)
    ASSERT_EQ(1, port_.reads[a]) << "address " << a;
  EXPECT_EQ(0, port_.TotalPrograms());
  EXPECT_EQ(flash, board_.Flash());
  EXPECT_TRUE(board_.Violations().empty());
  // Each address: the read cycle's two yields and one settled pair (two
  // more), then the job's own yield. Nothing longer than a yield.
  const std::vector<uint32_t> sleeps = clock_.Sleeps();
  EXPECT_EQ(5u * kChipSize, sleeps.size());
  EXPECT_EQ(std::vector<uint32_t>(sleeps.size(), 0), sleeps);
}

TEST_F(ReadChipJobTest, AbsentChipReadsFloatingLinesAndSavesThem) {
  BoardSettings absent;
  absent.chip_present = false;
  board_.SetSettings(absent);
  host_.save_path = dir_.Path("empty.bin");
  link_.InitializeWinIo();
  RunReadChipJob(link_, host_);
  EXPECT_EQ(std::string(kChipSize, '\xFF'), ReadImage());
  EXPECT_EQ(std::string(kChipSize, '\xFF'), dir_.Read("empty.bin"));
  EXPECT_EQ("ADDR=FFF,\tDATA=FF", host_.read_status);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_TRUE(board_.Violations().empty());
}

// Every way the save can end without a good file: the chip is still read
// whole into m_readImage, and only the case's message (if any) is shown.
TEST_F(ReadChipJobTest, SaveFailuresAndCancel) {
  struct Case {
    const char* name;
    std::string path;  // empty: the dialog is cancelled
    std::vector<std::string> messages;
  } cases[] = {
      {"cancel", "", {}},
      {"cannot create", dir_.Path("no-such-dir/chip.bin"),
       {"Could not creat *.bin"}},
      // Creating /dev/full succeeds; every write to it fails.
      {"write fails", "/dev/full", {"Could not write *.bin"}},
  };
  link_.InitializeWinIo();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedJobHost host;
    host.save_path = c.path;
    std::memset(link_.m_readImage, 0, kChipSize);
    RunReadChipJob(link_, host);
    EXPECT_EQ(1, host.save_dialogs);
    EXPECT_EQ(c.messages, host.messages);
    const std::vector<uint8_t> flash = Pattern();
    EXPECT_EQ(AsString(flash.data(), flash.size()), ReadImage());
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Path())) << "no file left";
  EXPECT_TRUE(board_.Violations().empty());
}

TEST_F(ReadChipJobTest, StopRequestedMidJobStopsAtNextAddressWithoutSaving) {
  host_.save_path = dir_.Path("chip.bin");
  host_.stop_after_updates = 100;
  link_.InitializeWinIo();
  RunReadChipJob(link_, host_);
  EXPECT_EQ(100, host_.read_updates);
  const std::vector<uint8_t> flash = Pattern();
  EXPECT_EQ(Format("ADDR=63,\tDATA=%X", flash[0x63]), host_.read_status);
  EXPECT_EQ(100, port_.TotalReads());
  EXPECT_EQ(AsString(flash.data(), 100), ReadImage(100));
  EXPECT_EQ(std::string(kChipSize - 100, '\x5C'),
            AsString(link_.m_readImage + 100, kChipSize - 100));
  EXPECT_EQ(0, host_.save_dialogs) << "a closing program asks nothing";
  EXPECT_FALSE(dir_.Exists("chip.bin"));
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_TRUE(board_.Violations().empty());
}

}  // namespace
