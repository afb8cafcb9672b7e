#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/virtual_clock.h"
#include "link/programmer_link.h"
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

// Wiring faults act at every address, through the real cycles: a held data
// line when programming and reading, a held or swapped address line on the
// address the chip sees.
TEST(SimBoardTest, WiringFaults) {
  const struct Case {
    const char* settings;
    uint32_t address;  // programmed with `data`, then read back
    uint8_t data;
    uint32_t lands_at;  // where the chip stored it
    uint8_t stored;     // and what, read back the same
  } cases[] = {
      {"stuck_data_line = 3:0", 0x10, 0x0F, 0x10, 0x07},
      {"stuck_data_line = 6:1", 0x10, 0x00, 0x10, 0x40},
      {"stuck_address_line = 11:0", 0x810, 0x12, 0x010, 0x12},
      {"stuck_address_line = 2:1", 0x10, 0x12, 0x14, 0x12},
      {"swapped_address_lines = 8:9", 0x100, 0x34, 0x200, 0x34},
      {"swapped_address_lines = 8:9", 0x300, 0x34, 0x300, 0x34},
      {"part = 89c52\nswapped_address_lines = 12:0", 0x1000, 0x56, 0x0001,
       0x56},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    BoardSettings settings;
    std::string error;
    ASSERT_TRUE(ParseBoardSettings(c.settings, &settings, &error)) << error;
    VirtualClock clock;
    SimBoard board(&clock, settings);
    board.Open();
    ProgrammerLink link(&board, &clock, BoardPorts());
    link.WriteCodeByte(c.address, c.data);
    const std::vector<uint8_t> flash = board.Flash();
    for (uint32_t a = 0; a < flash.size(); ++a)
      ASSERT_EQ(a == c.lands_at ? c.stored : 0xFF, flash[a]) << a;
    EXPECT_EQ(c.stored, link.ReadCodeByte(c.address));
    EXPECT_TRUE(board.Violations().empty());
  }
}

TEST(SimBoardTest, BadWiringFaultSettings) {
  for (const char* text :
       {"stuck_data_line = 8:0", "stuck_data_line = 3", "stuck_data_line = 3:2",
        "stuck_address_line = 14:1", "stuck_address_line = B:0",
        "swapped_address_lines = 8:8", "swapped_address_lines = 8",
        "driver = maybe"}) {
    BoardSettings settings;
    std::string error;
    EXPECT_FALSE(ParseBoardSettings(text, &settings, &error)) << text;
    EXPECT_EQ(0u, error.find("line 1: expected ")) << error;
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
