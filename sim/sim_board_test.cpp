#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/virtual_clock.h"
#include "sim/board_files.h"
#include "sim/board_session.h"
#include "testing/files.h"

namespace {

// Wrong cycles and accesses are violations, told in words; none may
// change the chip: a short erase pulse, a pulse without the programming
// voltage, the register written during a pulse, the voltage taken away
// while the chip writes, and an access with port access released.
TEST(SimBoardTest, WrongAccessesAreViolations) {
  const struct Case {
    std::vector<std::pair<int, uint32_t>> steps;  // port (0: wait), value
    const char* violation;
  } cases[] = {
      {{{0x378, 6}, {0x378, 4}, {0, 9999}, {0x378, 6}}, "erase pulse of 9.999"},
      {{{0x378, 3}, {0xC0D4, 0xC021}, {0x378, 1}}, "programming voltage off"},
      {{{0x378, 7}, {0x378, 5}, {0xC0D4, 0xC021}}, "written while the strobe"},
      {{{0xC0D4, 0xC021}, {0x378, 7}, {0x378, 5}, {0x378, 7}, {0x378, 3}},
       "voltage switched off 0.000 ms after the program pulse"},
      {{{-1, 0}, {0x378, 2}}, "out 378 <- 2 (1) while port access is released"},
  };
  std::vector<uint8_t> flash(4096, 0xFF);
  flash[0x21] = 0x00;
  for (const Case& c : cases) {
    VirtualClock clock;
    SimBoard board(&clock, BoardSettings());
    board.Open();
    board.SetFlash(flash);
    for (const auto& step : c.steps) {
      if (step.first == 0) clock.AdvanceUs(step.second);
      if (step.first == -1) board.Close();
      if (step.first == 0x378) board.Write8(0x378, step.second);
      if (step.first == 0xC0D4) board.Write32(0xC0D4, step.second);
    }
    ASSERT_FALSE(board.Violations().empty()) << c.violation;
    EXPECT_NE(std::string::npos, board.Violations()[0].find(c.violation))
        << board.Violations()[0];
    EXPECT_EQ(flash, board.Flash()) << c.violation;
  }
}

// Settings that cannot be: a flicker range backwards or beyond the chip,
// and a trace that would overwrite the board's own files.
TEST(BoardFilesTest, RefusedSettings) {
  const std::filesystem::path dir = FreshDir();
  const struct {
    const char* settings;
    const char* why;
  } cases[] = {
      {"flicker = 20-10", "line 1: expected an address or a range first-last"},
      {"flicker = 1-2\nflicker = FFF-1000", "flicker address 1000 is beyond"},
      {"trace = simchip.bin", "the trace file is the board's simchip.bin"},
      {"trace = ./simboard.ini", "the trace file is the board's simboard.ini"},
  };
  for (const auto& c : cases) {
    Spill(dir / kBoardSettingsFileName, c.settings);
    std::string why;
    VirtualClock clock;
    EXPECT_EQ(nullptr, BoardSession::Open(dir, &clock, &why)) << c.settings;
    EXPECT_NE(std::string::npos, why.find(c.why)) << why;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / kBoardChipFileName));
}

}  // namespace
