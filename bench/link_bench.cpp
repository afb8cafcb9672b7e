// tarnwick-bench-link: how close the chip cycles come to their mandated
// timing on the real clock. Runs 4096 program cycles and 4096 read cycles
// against the simulated board and compares the wall time with the sum of
// the sleeps the cycles ask for (3 ms per program cycle, none per read).
// A ratio near 1 means the platform sleep adds little to each 1 or 2 ms.

#include <cstdio>

#include "base/clock.h"
#include "link/programmer_link.h"
#include "sim/sim_board.h"

int main() {
  Clock* clock = RealClock();
  SimBoard board(clock, BoardSettings());
  ProgrammerLink link(&board, clock);
  link.InitializeWinIo();

  const uint64_t start_us = clock->NowUs();
  for (uint32_t a = 0; a < kChipSize; ++a)
    link.WriteCodeByte(a, static_cast<uint8_t>(a ^ 0xA5));
  const uint64_t programmed_us = clock->NowUs();
  int wrong = 0;
  for (uint32_t a = 0; a < kChipSize; ++a)
    wrong += link.ReadCodeByte(a) != static_cast<uint8_t>(a ^ 0xA5);
  const uint64_t end_us = clock->NowUs();
  link.ShutdownWinIo();

  const double mandated_s = kChipSize * 3 / 1000.0;
  const double wall_s = (end_us - start_us) / 1e6;
  std::printf("program cycles: %.3f s, read cycles: %.3f s\n",
              (programmed_us - start_us) / 1e6, (end_us - programmed_us) / 1e6);
  std::printf("wall %.3f s, mandated sleeps %.3f s, ratio %.4f\n", wall_s,
              mandated_s, wall_s / mandated_s);
  std::printf("mean excess per 1 or 2 ms sleep: %.1f us\n",
              (wall_s - mandated_s) * 1e6 / (2 * kChipSize));
  const size_t violations = board.Violations().size();
  if (wrong != 0 || violations != 0) {
    std::printf("FAILED: %d bytes read back wrong, %u violations\n", wrong,
                static_cast<unsigned>(violations));
    return 1;
  }
  return 0;
}
