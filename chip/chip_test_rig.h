#ifndef TARNWICK_CHIP_CHIP_TEST_RIG_H_
#define TARNWICK_CHIP_CHIP_TEST_RIG_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/virtual_clock.h"
#include "chip/cycle_counting_port.h"
#include "chip/progress.h"
#include "link/programmer_link.h"
#include "sim/sim_board.h"

// A sink that records every step and failure, and stops after a given
// number of steps (negative: never).
class RecordingSink : public ProgressSink {
 public:
  int stop_after = -1;
  std::vector<Progress> steps;
  std::vector<ByteFailure> failures;
  // "F<address>" and "P<address>" in the order they came.
  std::string order;

  void OnProgress(const Progress& p) override {
    steps.push_back(p);
    order += "P" + std::to_string(p.address) + " ";
  }
  void OnFailure(const ByteFailure& f) override {
    failures.push_back(f);
    order += "F" + std::to_string(f.address) + " ";
  }
  bool StopRequested() override {
    return stop_after >= 0 && static_cast<int>(steps.size()) >= stop_after;
  }
};

// A simulated board seen through a cycle-counting port, and a link on a
// virtual clock with port access open.
class ChipTest : public ::testing::Test {
 protected:
  ChipTest() { link_.InitializeWinIo(); }

  void SetFlash(const std::vector<uint8_t>& bytes) { board_.SetFlash(bytes); }
  std::vector<uint8_t> Flash(uint32_t n) const {
    const std::vector<uint8_t> flash = board_.Flash();
    return std::vector<uint8_t>(flash.begin(), flash.begin() + n);
  }
  void ExpectNoViolations() {
    EXPECT_EQ(std::vector<std::string>(), board_.Violations());
  }

  VirtualClock clock_;
  SimBoard board_{&clock_, BoardSettings()};
  CycleCountingPort port_{&board_};
  ProgrammerLink link_{&port_, &clock_};
  RecordingSink sink_;
};

#endif  // TARNWICK_CHIP_CHIP_TEST_RIG_H_
