#include "jobs/read_chip_job.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/format.h"
#include "jobs/job_test_rig.h"

namespace {

class ReadChipJobTest : public JobTest {
 protected:
  ReadChipJobTest() { SetFlash(Image(kChipSize)); }
};

TEST_F(ReadChipJobTest, ReadsEveryAddressOnceAndSavesTheImage) {
  host_.save_path = dir_.Path("chip.bin");
  dir_.Write("chip.bin", std::string(5000, 'x'));  // replaced whole
  EXPECT_EQ(0u, RunReadChipJob(link_, host_));

  const std::string chip = Image(kChipSize);
  EXPECT_EQ(chip, ReadImage());
  EXPECT_EQ(0x5C, link_.m_readImage[kChipSize]) << "spare byte untouched";
  EXPECT_EQ(chip, dir_.Read("chip.bin"));
  EXPECT_EQ(chip, Flash());
  EXPECT_EQ(1, host_.save_dialogs);
  EXPECT_EQ(4096, host_.read_updates);
  EXPECT_EQ("ADDR=FFF,\tDATA=A", host_.read_status);
  EXPECT_EQ(0, host_.write_updates);
  // One read cycle at each address, no program cycle.
  EXPECT_EQ(kChipSize, port_.reads.size());
  EXPECT_EQ(4096, port_.TotalReads());
  EXPECT_EQ(0, port_.TotalPrograms());
  ExpectEnded();
  // Each address: the read cycle's two yields and one settled pair (two
  // more), then the job's own yield. Nothing longer than a yield.
  EXPECT_EQ(std::vector<uint32_t>(5 * kChipSize, 0), clock_.Sleeps());
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
      {"cannot create",
       dir_.Path("no-such-dir/chip.bin"),
       {"Could not creat *.bin"}},
      // Creating /dev/full succeeds; every write to it fails.
      {"write fails", "/dev/full", {"Could not write *.bin"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.save_path = c.path;
    host_.messages.clear();
    std::memset(link_.m_readImage, 0, kChipSize);
    RunReadChipJob(link_, host_);
    EXPECT_EQ(Image(kChipSize), ReadImage());
    ExpectEnded(c.messages);
  }
  EXPECT_EQ(3, host_.save_dialogs);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Path())) << "no file left";
}

TEST_F(ReadChipJobTest, StopRequestedMidJobStopsAtNextAddressWithoutSaving) {
  host_.save_path = dir_.Path("chip.bin");
  host_.stop_after_updates = 100;
  RunReadChipJob(link_, host_);
  EXPECT_EQ(100, host_.read_updates);
  EXPECT_EQ(Format("ADDR=63,\tDATA=%X", uint8_t(Image(100)[0x63])),
            host_.read_status);
  EXPECT_EQ(100, port_.TotalReads());
  EXPECT_EQ(Image(100) + std::string(kChipSize - 100, '\x5C'), ReadImage());
  EXPECT_EQ(0, host_.save_dialogs) << "a closing program asks nothing";
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Path()));
  ExpectEnded();
}

}  // namespace
