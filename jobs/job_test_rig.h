#ifndef TARNWICK_JOBS_JOB_TEST_RIG_H_
#define TARNWICK_JOBS_JOB_TEST_RIG_H_

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/virtual_clock.h"
#include "chip/cycle_counting_port.h"
#include "jobs/scripted_job_host.h"
#include "link/programmer_link.h"
#include "sim/sim_board.h"

// A fresh, empty directory named after the running test. Path() ends in
// the separator.
class TestDir {
 public:
  TestDir() {
    const ::testing::TestInfo* test =
        ::testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) /
        (std::string("tarnwick-jobs-") + test->test_suite_name() + "." +
         test->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    path_ = dir.string() + "/";
  }

  std::string Path(const std::string& name = "") const { return path_ + name; }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

 private:
  std::string path_;
};

// `n` bytes of a pattern that is never 0xFF, ending in 0x0A when whole.
inline std::string Image(uint32_t n) {
  std::string bytes(n, '\0');
  for (uint32_t a = 0; a < n; ++a)
    bytes[a] = static_cast<char>((a * 13 + (a >> 8)) % 0xFF);
  if (n == kChipSize) bytes[n - 1] = 0x0A;
  return bytes;
}

// A job's world: a simulated board seen through a cycle-counting port, a
// link on a virtual clock with port access open and both images filled
// with 0x5C, a scripted host and a fresh directory.
class JobTest : public ::testing::Test {
 protected:
  JobTest() {
    std::memset(link_.m_codeImage, 0x5C, sizeof link_.m_codeImage);
    std::memset(link_.m_readImage, 0x5C, sizeof link_.m_readImage);
    link_.InitializeWinIo();
  }

  // The first `n` bytes of the chip, of m_readImage and of m_codeImage.
  std::string Flash(uint32_t n = kChipSize) const {
    const std::vector<uint8_t> flash = board_.Flash();
    return std::string(flash.begin(), flash.begin() + n);
  }
  std::string ReadImage(uint32_t n = kChipSize) const {
    return std::string(reinterpret_cast<const char*>(link_.m_readImage), n);
  }
  std::string CodeImage(uint32_t n = kChipSize) const {
    return std::string(reinterpret_cast<const char*>(link_.m_codeImage), n);
  }
  // What every job must leave: only `messages` shown, no bad-block log
  // held open, and no protocol violation on the board.
  void ExpectEnded(const std::vector<std::string>& messages = {}) {
    EXPECT_EQ(messages, host_.messages);
    EXPECT_EQ(kNoFile, link_.m_hLogFile);
    EXPECT_EQ(std::vector<std::string>(), board_.Violations());
  }
  void SetFlash(const std::string& bytes) {
    board_.SetFlash(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }

  VirtualClock clock_;
  SimBoard board_{&clock_, BoardSettings()};
  CycleCountingPort port_{&board_};
  ProgrammerLink link_{&port_, &clock_};
  ScriptedJobHost host_;
  TestDir dir_;
};

#endif  // TARNWICK_JOBS_JOB_TEST_RIG_H_
