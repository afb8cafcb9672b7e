#include "jobs/read_chip_job.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/board_rig.h"

namespace {

// The whole chip read once, shown address by address and saved; every way
// a save fails or is not asked for (a closing program gets no dialog).
TEST_F(BoardTest, ReadJobReadsEveryAddressOnceAndSavesTheImage) {
  SetFlash(Pattern(4096));
  const struct Case {
    std::string path;  // empty: the dialog is cancelled
    int stop_after;
    std::string message;
  } cases[] = {
      {(dir_ / "chip.bin").string(), -1, ""},
      {"", -1, ""},
      {(dir_ / "no-such-dir/chip.bin").string(), -1, "Could not creat *.bin"},
      {"/dev/full", -1, "Could not write *.bin"},  // every write fails
      {(dir_ / "chip2.bin").string(), 100, ""},
  };
  Spill(dir_ / "chip.bin", std::string(5000, 'x'));  // replaced whole
  for (const Case& c : cases) {
    ScriptedJobHost host;
    host.path = c.path;
    host.stop_after = c.stop_after;
    RunReadChipJob(session_, host);
    EXPECT_EQ(c.stop_after < 0, host.dialogs == 1) << c.path;
    EXPECT_EQ(c.message, host.messages.empty() ? "" : host.messages[0]);
    EXPECT_EQ(c.stop_after < 0 ? "ADDR=FFF,\tDATA=A" : "ADDR=63,\tDATA=C",
              host.label);
  }
  EXPECT_EQ(Pattern(4096), Slurp(dir_ / "chip.bin"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "chip2.bin"));
  // Per address one read cycle (four yields) and the job's own yield.
  EXPECT_EQ(std::make_pair(0, 4 * 4096 + 100), Cycles());
  EXPECT_EQ(std::vector<uint32_t>(5 * (4 * 4096 + 100), 0), clock_.Sleeps());
}

}  // namespace
