// Bringing a board to life, run whole in the process on the simulated
// board and a virtual clock: the line check, and failures explained.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/format.h"
#include "cli/cli.h"
#include "cli/failure_words.h"
#include "testing/board_rig.h"
#include "testing/interrupting_clock.h"

namespace {

class BringUpTest : public ::testing::Test {
 protected:
  struct Result {
    int code;
    std::string out, err;
  };
  // Runs `args` on the board kept in board/ with `settings` (without
  // them: as they are), standard input giving `in`; a selftest is traced
  // into trace.txt.
  Result Run(const char* settings, std::vector<std::string> args,
             const std::string& in = "") {
    if (settings != nullptr) {
      Spill(dir_ / "board/simboard.ini", settings);
      args.insert(args.end(), {"--sim", P("board"), "--trace", P("trace.txt")});
      if (args[0] != "selftest") args.resize(args.size() - 2);
    }
    std::istringstream input(in);
    std::ostringstream out, err;
    CliEnv env;
    env.in = &input;
    env.out = &out;
    env.err = &err;
    env.clock = &clock_;
    env.interrupted = &clock_.interrupted;
    const int code = RunCli(args, env);
    return {code, out.str(), err.str()};
  }
  std::string P(const std::string& name) const {
    return (dir_ / name).string();
  }
  // The trace's port accesses, without their times.
  std::vector<std::string> Accesses() const {
    std::vector<std::string> lines;
    std::istringstream trace(Slurp(dir_ / "trace.txt"));
    for (std::string line; std::getline(trace, line);) {
      const size_t at = line.find("ms  ");
      if (at != std::string::npos && line.find("sleep") == std::string::npos)
        lines.push_back(line.substr(at + 4));
    }
    return lines;
  }
  // The run ended with the board at rest and port access released.
  void ExpectAtRest() const {
    const std::vector<std::string> a = Accesses();
    ASSERT_GE(a.size(), 3u);
    EXPECT_EQ("out 378 <- 2 (1)|out C0D4 <- FF000000 (4)|close",
              a[a.size() - 3] + "|" + a[a.size() - 2] + "|" + a.back());
  }

  std::filesystem::path dir_ = FreshDir();
  InterruptingClock clock_;
};

constexpr char kEmpty[] = "chip = absent\n";

// Each step holds its line and says which bit and pin it is: the register's
// lines alone, then the control lines; a control value with bit 2 only
// with --control, and then 6 once, back at rest next. The board never sees
// the register written with the strobe low, only the strobe step's pulse
// without the voltage.
TEST_F(BringUpTest, SelftestWalksEveryLineInTurn) {
  for (const bool control : {false, true}) {
    SCOPED_TRACE(control);
    const int steps = control ? 27 : 26;
    std::filesystem::remove(dir_ / "board/board.txt");
    const Result r = Run("chip = absent\ntrace = board.txt\n",
                         {"selftest", control ? "--control" : "-q"},
                         std::string(steps, '\n'));
    EXPECT_EQ(0, r.code) << r.err;
    for (const char* said :
         {" 1/%d  address line A0 (flash register bit 0): high at P1.0, pin 1",
          "14/%d  address line A13 (flash register bit 13): high at P2.5, pin",
          "16/%d  mode line (flash register bit 15): high at P2.7, pin 28",
          "24/%d  data line D7 (flash register bit 31): high at P0.7, pin 32",
          "26/%d  control port bit 1 (the programming strobe): low (control "
          "value 0", "all 8 data lines read back as driven"}) {
      EXPECT_NE(std::string::npos, r.out.find(Format(said, steps))) << said;
    }
    std::vector<uint32_t> held, want;
    std::string controls;
    for (const std::string& line : Accesses()) {
      if (line.find("out C0D4 <- ") == 0)
        held.push_back(std::stoul(line.substr(12), nullptr, 16));
      if (line.find("out 378 <- ") == 0) controls += line.substr(11, 1);
    }
    for (int bit = 0; bit < 32; bit += bit == 15 ? 9 : 1)
      want.push_back(1u << bit);
    want.insert(want.end(), steps - 24, 0);
    want.insert(want.end(), {0xFF000000u, 0, 0xFF000000u});
    ASSERT_GE(held.size(), want.size());
    EXPECT_EQ(want, std::vector<uint32_t>(held.end() - want.size(), held.end()));
    // The last data step, bit 0 up, the strobe down, the voltage on, the
    // read-back and the rest, each from rest.
    EXPECT_EQ(control ? "223202622" : "2232022",
              controls.substr(controls.size() - (control ? 9 : 7)));
    EXPECT_EQ(std::string::npos, controls.find_first_of(control ? "457" : "4567"));
    const std::string board = Slurp(dir_ / "board/board.txt");
    const size_t violation = board.find("violation");
    EXPECT_EQ(board.find("violation: strobe pulse with the programming "
                         "voltage off"), violation);
    EXPECT_EQ(std::string::npos, board.find("violation", violation + 1));
    ExpectAtRest();
  }
}

// What the check refuses, and what the read-back of the data lines finds;
// the board ends at rest whenever the check began.
TEST_F(BringUpTest, SelftestRefusesAChipAndTellsTheDataLines) {
  const std::string enters(26, '\n');
  const struct Case {
    const char* settings;
    std::vector<std::string> args;
    std::string in;
    int code;
    const char* said;
  } cases[] = {
      {"", {"selftest"}, enters, 3,
       "a chip answers (the signature reads 1E 51 FF): the check is for an "
       "empty socket"},
      {"", {"selftest", "--force"}, enters, 0, "26/26"},
      {kEmpty, {"selftest"}, "\n\n\n", 2,
       "standard input ended; --hold SECONDS holds each line"},
      {"chip = absent\nlines = noisy", {"selftest", "--hold", "0.5"}, "", 1,
       "  D1 (P0.1, pin 38): changed "},
      {"chip = absent\nstuck_data_line = 5:0", {"selftest", "--hold", "0"}, "",
       1, "  D5 (P0.5, pin 34): reads 0 even when released: held low"},
      {"chip = absent\nstuck_data_line = 6:1", {"selftest", "--hold", "0"}, "",
       1, "  D6 (P0.6, pin 33): reads 1 even when pulled low: held high"},
      {kEmpty, {"selftest", "--hold", "0"}, "", 0,
       "  D7 (P0.7, pin 32): steady\nselftest: all 8"},
      {nullptr, {"selftest", "--hold", "x"}, "", 2, "--hold: expected seconds"},
      {nullptr, {"erase", "--control"}, "", 2, "--control goes with selftest"},
      {nullptr, {"signature", "--port-library", "x.dll", "--sim", "b"}, "", 2,
       "--port-library drives real ports, not --sim"},
      {nullptr, {"signature", "--port-library", "x.dll"}, "", 2,
       "--port-library: only the Windows builds load"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const Result r = Run(c.settings, c.args, c.in);
    EXPECT_EQ(c.code, r.code) << r.err;
    EXPECT_NE(std::string::npos, (r.out + r.err).find(c.said)) << r.out << r.err;
    if (c.settings != nullptr && c.code != 3) ExpectAtRest();
  }
}

// A stop at any step, holding or reading back: the board at rest, port
// access released, the step it stopped in the last one shown, and a held
// line let go within a slice of its hold.
TEST_F(BringUpTest, SelftestStoppedAnywhereLeavesTheBoardAtRest) {
  for (int step = 1; step <= 28; ++step) {
    SCOPED_TRACE(step);
    // Each step holds 1 s, and the read-back follows the 27th.
    clock_.interrupted = false;
    clock_.interrupt_at_us = clock_.NowUs() + (step - 1) * 1000000ull + 500050;
    const Result r = Run(kEmpty, {"selftest", "--hold", "1", "--control"});
    EXPECT_EQ(130, r.code);
    EXPECT_NE(std::string::npos, r.err.find("interrupted; the board is left "
                                            "at rest"));
    if (step <= 27) {
      EXPECT_NE(std::string::npos, r.out.find(Format("%2d/27", step)));
      EXPECT_EQ(std::string::npos, r.out.find(Format("%2d/27", step + 1)));
      EXPECT_LE(clock_.NowUs(), clock_.interrupt_at_us + 100000);
    }
    ExpectAtRest();
  }
}

// Each fault of the board's wiring is named by the summary of the write or
// verify it spoils, with the line and its pin, and no other; a sound board
// names none.
TEST_F(BringUpTest, FailuresNameTheLineTheyPointAt) {
  const std::string image = Pattern(4096);
  Spill(dir_ / "image.bin", image);
  uint32_t with_bit_3 = 0;
  for (char byte : image) with_bit_3 += (byte & 8) != 0;
  const std::string zeros(4096, '\0');
  const struct Case {
    const char* settings;
    const std::string& chip;  // the chip before; empty: erased
    std::vector<std::string> args;
    std::string said;
  } cases[] = {
      {"stuck_data_line = 3:0", "", {"write", P("image.bin"), "--part", "89c51"},
       Format("  bit 3 failed at %s addresses: is data line 3 (P0.3, pin 36) "
              "connected?", Thousands(with_bit_3).c_str())},
      {"stuck_address_line = 11:0", "", {"write", P("image.bin")},
       "read alike with the address 800H away: is address line 11 (P2.3, pin "
       "24) stuck or not connected?"},
      {"swapped_address_lines = 8:9", image, {"verify", P("image.bin")},
       "failing addresses read as if address lines 8 and 9 were swapped: "
       "check the wiring of P2.0, pin 21 and P2.1, pin 22"},
      {"", zeros, {"write", P("image.bin"), "--no-erase"},
       "  bits wrong: none read 1 where 0 was wanted; "},
      {"", zeros, {"write", P("image.bin"), "--no-erase"},
       " 0 where 1 was wanted (needs an erase, or a short)"},
      {kEmpty, "", {"write", P("image.bin"), "--force", "-q"},
       " read 1 where 0 was wanted (did not program: the programming voltage, "
       "the pulse, or a dead data line); none read 0 where 1 was wanted\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.settings) + " " + c.args[0]);
    std::string chip = c.chip;
    chip.resize(4096, '\xFF');
    Spill(dir_ / "board/simchip.bin", chip);
    const Result r = Run(c.settings, c.args);
    EXPECT_EQ(1, r.code) << r.err;
    EXPECT_NE(std::string::npos, r.out.find(c.said)) << r.out;
    for (const char* other : {"is data line", "is address line", "swapped"}) {
      if (c.said.find(other) == std::string::npos) {
        EXPECT_EQ(std::string::npos, r.out.find(other)) << r.out;
      }
    }
  }
  Spill(dir_ / "board/simchip.bin", std::string(4096, '\xFF'));
  EXPECT_EQ("write: 4096 bytes programmed, 0 skipped, 0 failed\nchip image: "
            "SUM16 EDD8, CRC-32 DB47ACC8\n",
            Run("", {"write", P("image.bin")}).out);
}

}  // namespace
