#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/virtual_clock.h"
#include "link/programmer_link.h"
#include "sim/tracing_clock.h"

namespace {

using Lines = std::vector<std::string>;

// A programmer link driving a simulated board, both on one virtual clock,
// with port access opened as the program opens it.
struct Rig {
  explicit Rig(const BoardSettings& settings = BoardSettings())
      : board(&clock, settings), link(&board, &clock) {
    link.m_rtlBase = settings.rtl_base;
    link.m_eppPort = settings.epp_port;
    link.ShutdownWinIo();
    link.InitializeWinIo();
  }

  // Programs like the write job: one program cycle, then up to ten reads.
  bool ProgramVerified(uint32_t address, uint8_t data) {
    link.WriteCodeByte(address, data);
    for (int pass = 0; pass < 10; ++pass)
      if (link.ReadCodeByte(address) == data) return true;
    return false;
  }
  int In(uint16_t port = 0xC0D7, int size = 1) {
    uint32_t value = 0;
    link.GetPortVal(port, &value, size);
    return static_cast<int>(value);
  }

  VirtualClock clock;
  SimBoard board;
  ProgrammerLink link;
};

// One port access, a pause, or releasing port access, done to a rig.
using Step = std::function<void(Rig&)>;
Step Out(uint16_t port, uint32_t value, int size) {
  return [=](Rig& r) { r.link.SetPortVal(port, value, size); };
}
Step C(uint32_t value) { return Out(0x378, value, 1); }
Step F(uint32_t value) { return Out(0xC0D4, value, 4); }
Step H(uint32_t value) { return Out(0xC0D5, value, 1); }
Step In(uint16_t port, int size) {  // only where reading is refused
  return [=](Rig& r) { EXPECT_EQ(0xFF, r.In(port, size)); };
}
Step Wait(uint32_t us) {
  return [=](Rig& r) { r.clock.AdvanceUs(us); };
}
const Step kRelease = [](Rig& r) { r.link.ShutdownWinIo(); };
void Do(Rig* rig, const std::vector<Step>& steps) {
  for (const Step& step : steps) step(*rig);
}

TEST(SimBoardTest, ProgramOnlyClearsBitsEraseBlanksReadBackAWholeChip) {
  Rig rig;
  rig.board.SetFlash(std::vector<uint8_t>(kChipSize, 0x3C));
  rig.link.WriteCodeByte(0x100, 0xF0);
  EXPECT_EQ(0x30, rig.link.ReadCodeByte(0x100)) << "3C, then F0 on top";
  EXPECT_EQ(0x3C, rig.link.ReadCodeByte(0x101));
  rig.link.EraseChip();
  EXPECT_EQ(std::vector<uint8_t>(kChipSize, 0xFF), rig.board.Flash());
  std::vector<uint8_t> image(kChipSize);
  for (uint32_t a = 0; a < kChipSize; ++a) {
    image[a] = static_cast<uint8_t>(a * 7 + (a >> 8) + 0x5A);
    ASSERT_EQ(0xFF, rig.link.ReadCodeByte(a)) << std::hex << a;
    ASSERT_TRUE(rig.ProgramVerified(a, image[a])) << std::hex << a;
  }
  for (uint32_t a = 0; a < kChipSize; ++a)
    ASSERT_EQ(image[a], rig.link.ReadCodeByte(a)) << std::hex << a;
  EXPECT_EQ(image, rig.board.Flash());
  // Address bits 12 and 13 do not reach a 4 KB chip.
  EXPECT_EQ(image[0x234], rig.link.ReadCodeByte(0x1234));
  EXPECT_EQ(1, rig.board.ErasePulses());
  EXPECT_EQ(static_cast<int>(kChipSize) + 1, rig.board.ProgramPulses());
  EXPECT_EQ(Lines(), rig.board.Violations());
}

TEST(SimBoardTest, SignatureAtItsPortsAndAddresses) {
  BoardSettings moved;
  moved.signature[1] = 0x52;
  moved.signature[2] = 0x06;
  moved.rtl_base = 0xE800;
  moved.epp_port = 0x278;
  struct Case {
    BoardSettings settings;
    int expected[3];
  } cases[] = {{BoardSettings(), {0x1E, 0x51, 0xFF}},
               {moved, {0x1E, 0x52, 0x06}}};
  for (const Case& c : cases) {
    Rig rig(c.settings);
    rig.board.SetFlash(std::vector<uint8_t>(kChipSize, 0x00));
    for (int n = 0; n < 3; ++n)
      EXPECT_EQ(c.expected[n], rig.link.ReadSignatureByte(0x30 + n));
    // Outside 30H to 32H the chip drives nothing in signature mode.
    EXPECT_EQ(0xFF, rig.link.ReadSignatureByte(0x33));
    EXPECT_EQ(0x00, rig.link.ReadCodeByte(0x30)) << "program memory differs";
    EXPECT_EQ(Lines(), rig.board.Violations());
  }
}

// Faulty boards, each used correctly: no violations, yet nothing verifies.
TEST(SimBoardTest, AbsentChipStuckBitsAndNoisyLines) {
  BoardSettings absent, stuck, noisy;
  absent.chip_present = false;
  stuck.stuck[0x123] = StuckBits{0x01, 0x80};
  noisy.lines_settle = false;

  Rig empty(absent);  // the data lines float high; nothing is taken
  empty.link.EraseChip();
  EXPECT_FALSE(empty.ProgramVerified(0x10, 0x00));
  EXPECT_EQ(0xFF, empty.link.ReadSignatureByte(0x30));
  EXPECT_EQ(0, empty.board.ProgramPulses() + empty.board.ErasePulses());

  Rig worn(stuck);
  EXPECT_EQ(0xFE, worn.link.ReadCodeByte(0x123));
  EXPECT_FALSE(worn.ProgramVerified(0x123, 0x00));
  EXPECT_EQ(0x80, worn.link.ReadCodeByte(0x123));
  EXPECT_EQ(0x00, worn.board.Flash()[0x123]) << "stored as programmed";
  EXPECT_TRUE(worn.ProgramVerified(0x124, 0x00)) << "only that address";

  // Bit 0 flips on every other read: the bounded read gives up with the
  // last byte read (the link test pins how many reads it makes), having
  // slept only the 1 ms settle time.
  Rig flaky(noisy);
  EXPECT_EQ(0x50, flaky.link.ReadSignatureByte(0x31));
  EXPECT_EQ(1000u, flaky.clock.NowUs());

  for (const Rig* rig : {&empty, &worn, &flaky})
    EXPECT_EQ(Lines(), rig->board.Violations());
}

TEST(SimBoardTest, ProgramCycleWithoutSleepsFailsByDataPolling) {
  Rig rig;
  Do(&rig, {C(3), F(0x3500C010), C(7), C(5), C(7), C(3)});
  // Still writing: every read answers with bit 7 of the byte inverted, and
  // virtual time stands still while the reads only yield.
  for (int pass = 0; pass < 10; ++pass)
    EXPECT_EQ(0xB5, rig.link.ReadCodeByte(0x10));
  EXPECT_EQ(Lines({"programming voltage switched off 0.000 ms after the "
                   "program pulse, while the chip is still writing"}),
            rig.board.Violations());
  rig.clock.AdvanceUs(SimBoard::kByteWriteUs - 1);
  EXPECT_EQ(0xB5, rig.In());
  rig.clock.AdvanceUs(1);
  EXPECT_EQ(0x35, rig.In());
  // The data lines are the wired AND of the chip and the latched byte.
  Do(&rig, {F(0x0F00C010), C(2)});
  EXPECT_EQ(0x05, rig.In());
  Do(&rig, {C(3)});  // control bit 0 high: the chip lets go
  EXPECT_EQ(0x0F, rig.In());
  EXPECT_EQ(1u, rig.board.Violations().size());
}

// Wrong cycles and accesses, and the first violation each records (in
// part). None may change the chip: a wrong erase leaves 0x20 at 00, a
// pulse that must not program aims 00 at 0x21 (FF), the others rewrite 00.
TEST(SimBoardTest, WrongAccessesAreViolations) {
  const struct Case {
    std::vector<Step> steps;
    const char* violation;
  } cases[] = {
      {{H(0), C(6), C(4), Wait(SimBoard::kMinEraseUs - 1), C(6), C(2)},
       "erase pulse of 9.999 ms is shorter than 10 ms"},
      {{C(3), F(0x0000C021), C(1), Wait(1000), C(3)},
       "strobe pulse with the programming voltage off"},
      {{C(3), F(0x0000C020), C(7), C(5), F(0x0000C021), C(7)},
       "flash access register written while the strobe is low"},
      {{H(0), C(6), C(4), Wait(100000), C(0), C(2)},
       "control 4 -> 0 changes the programming voltage"},
      {{H(0), C(2), C(4), Wait(100000), C(6)},
       "control 2 -> 4 changes the programming voltage"},
      {{C(3), F(0x0000C020), C(7), C(5), C(7), Wait(1000), C(5), C(7)},
       "strobe pulse 1.000 ms after the program pulse, while the chip is "
       "still writing"},
      {{F(0x0000C021), C(6), C(4), Wait(1000), C(6)},
       "mode lines high, high and control bit 0 low selects neither"},
      {{kRelease, F(0xFF00C020)},
       "out C0D4 <- FF00C020 (4) while port access is released"},
      {{kRelease, In(0xC0D7, 1)}, "in C0D7 (1) while port access is released"},
      {{C(0x0A)}, "control value A sets bits above bit 2"},
      {{Out(0xC0D4, 0xC0, 1)}, "out C0D4 <- C0 (1): no register of that size"},
      {{Out(0xC0D5, 0, 4)}, "out C0D5 <- 0 (4): no register of that size"},
      {{Out(0xC0D7, 0x12, 1)}, "out C0D7 <- 12 (1): no register"},
      {{Out(0x379, 2, 1)}, "out 379 <- 2 (1): no register"},
      {{In(0xC0D7, 4)}, "in C0D7 (4): no readable register"},
      {{In(0xC0D4, 1)}, "in C0D4 (1): no readable register"},
  };
  std::vector<uint8_t> flash(kChipSize, 0xFF);
  flash[0x20] = 0x00;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.violation);
    Rig rig;
    rig.board.SetFlash(flash);
    Do(&rig, c.steps);
    const Lines violations = rig.board.Violations();
    ASSERT_FALSE(violations.empty());
    EXPECT_NE(std::string::npos, violations[0].find(c.violation))
        << violations[0];
    EXPECT_EQ(flash, rig.board.Flash());
  }
}

TEST(SimBoardTest, TraceShowsAccessesAndSleepsOnOneTimeScale) {
  VirtualClock clock;
  Trace trace;
  TracingClock tracing(&clock, &trace);
  SimBoard board(&clock, BoardSettings());
  board.SetTrace(&trace);
  clock.AdvanceUs(5000);  // times count from the first line
  board.InitializeWinIo();
  tracing.SleepMs(2);
  board.SetPortVal(0x378, 2, 1);
  uint32_t value = 0;
  board.GetPortVal(0xC0D7, &value, 1);
  EXPECT_EQ(
      Lines({"     0.000 ms  InitializeWinIo", "     0.000 ms  sleep 2",
             "     2.000 ms  out 378 <- 2 (1)", "     2.000 ms  in C0D7 -> 0"}),
      trace.TakeLines());
  // The board stops tracing; the clock's lines keep the time origin.
  board.SetTrace(nullptr);
  board.SetPortVal(0x378, 2, 1);
  tracing.SleepMs(100);
  EXPECT_EQ(Lines({"     2.000 ms  sleep 100"}), trace.Lines());
  trace.Clear();
  trace.AddAt(9000, "d");
  EXPECT_EQ(Lines({"     0.000 ms  d"}), trace.Lines());
}

}  // namespace
