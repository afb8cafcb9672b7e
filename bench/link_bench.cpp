// tarnwick-bench-link: how close the chip cycles come to their mandated
// timing on the real clock. Runs 4096 program cycles and 4096 read cycles
// against the simulated board and compares the wall time with the sum of
// the sleeps the cycles ask for (3 ms per program cycle, none per read).
// It also shows how long each 1 or 2 ms sleep overran: a small median with
// a long tail means other processes kept the cores busy, a large median
// that the platform sleep itself is coarse.

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/clock.h"
#include "link/programmer_link.h"
#include "sim/sim_board.h"

namespace {

// Cycles of each kind: one per byte of a 4 KB chip.
constexpr uint32_t kCycles = 4096;

// Forwards to the real clock and keeps how far each timed sleep overran.
class OverrunClock : public Clock {
 public:
  explicit OverrunClock(Clock* inner) : inner_(inner) {}
  void SleepMs(uint32_t ms) override {
    const uint64_t start = inner_->NowUs();
    inner_->SleepMs(ms);
    if (ms > 0) overruns_us.push_back(inner_->NowUs() - start - ms * 1000u);
  }
  uint64_t NowUs() override { return inner_->NowUs(); }

  std::vector<uint64_t> overruns_us;

 private:
  Clock* inner_;
};

}  // namespace

int main() {
  OverrunClock clock(RealClock());
  SimBoard board(RealClock(), BoardSettings());
  ProgrammerLink link(&board, &clock, BoardPorts());
  board.Open();

  const uint64_t start_us = clock.NowUs();
  for (uint32_t a = 0; a < kCycles; ++a)
    link.WriteCodeByte(a, static_cast<uint8_t>(a ^ 0xA5));
  const uint64_t programmed_us = clock.NowUs();
  int wrong = 0;
  for (uint32_t a = 0; a < kCycles; ++a)
    wrong += link.ReadCodeByte(a) != static_cast<uint8_t>(a ^ 0xA5);
  const uint64_t end_us = clock.NowUs();
  board.Close();

  const double mandated_s = kCycles * 3 / 1000.0;
  const double wall_s = (end_us - start_us) / 1e6;
  std::printf("program cycles: %.3f s, read cycles: %.3f s\n",
              (programmed_us - start_us) / 1e6, (end_us - programmed_us) / 1e6);
  std::printf("wall %.3f s, mandated sleeps %.3f s, ratio %.4f\n", wall_s,
              mandated_s, wall_s / mandated_s);
  std::vector<uint64_t>& o = clock.overruns_us;
  std::sort(o.begin(), o.end());
  uint64_t sum = 0;
  for (uint64_t us : o) sum += us;
  std::printf("overrun of the %u timed sleeps: mean %.1f us, median %u us, "
              "99th percentile %u us, max %u us\n",
              static_cast<unsigned>(o.size()),
              static_cast<double>(sum) / o.size(),
              static_cast<unsigned>(o[o.size() / 2]),
              static_cast<unsigned>(o[o.size() * 99 / 100]),
              static_cast<unsigned>(o.back()));
  const size_t violations = board.Violations().size();
  if (wrong != 0 || violations != 0) {
    std::printf("FAILED: %d bytes read back wrong, %u violations\n", wrong,
                static_cast<unsigned>(violations));
    return 1;
  }
  return 0;
}
