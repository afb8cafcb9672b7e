// tarnwick-bench-cli: the command line's write and read against the desktop
// write job, each on the simulated board with the real clock, on the same
// image in the same run:
//   - an image the chip already holds (target: under 0.5 s);
//   - a 4 KB image, half of it 0xFF, onto an erased chip (target: at most
//     0.55 of the desktop job's time);
//   - reading the whole chip (target: under 0.25 s).
// Prints the figures; exits 1 when a target is missed.

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/file.h"
#include "bench/bench_job_host.h"
#include "cli/cli.h"
#include "jobs/write_chip_job.h"
#include "session/programmer_session.h"
#include "sim/board_files.h"
#include "sim/sim_board.h"

namespace {

namespace fs = std::filesystem;

// The default simulated board's chip, an 89C51.
constexpr uint32_t kBoardChipSize = 4096;

double Seconds(uint64_t start_us) {
  return static_cast<double>(RealClock()->NowUs() - start_us) / 1e6;
}

std::vector<uint8_t> Pattern() {
  std::vector<uint8_t> image(kBoardChipSize);
  for (uint32_t a = 0; a < kBoardChipSize; ++a)
    image[a] = static_cast<uint8_t>(a * 13 + (a >> 8));
  return image;
}

// The desktop write job programming `image` over `chip`; seconds taken.
double DesktopWrite(const fs::path& dir, const std::vector<uint8_t>& chip,
                    const std::vector<uint8_t>& image) {
  SimBoard board(RealClock(), BoardSettings());
  board.SetFlash(chip);
  ProgrammerSession::Setup setup;
  setup.clock = RealClock();
  ProgrammerSession session(&board, setup);
  std::string why;
  session.Open(&why);
  BenchJobHost host;
  host.open_path = dir / "image.bin";
  const uint64_t start = RealClock()->NowUs();
  RunWriteChipJob(session, host, dir);
  const double s = Seconds(start);
  if (board.Flash() != image) std::printf("  DESKTOP JOB DID NOT PROGRAM\n");
  return s;
}

// The command line with `args` on the board kept in dir/board; seconds.
double Cli(const fs::path& dir, std::vector<std::string> args, int* code) {
  args.insert(args.begin(), {"--sim", (dir / "board").string(), "--quiet"});
  std::ostringstream out, err;
  std::atomic<bool> never{false};
  CliEnv env;
  env.out = &out;
  env.err = &err;
  env.clock = RealClock();
  env.interrupted = &never;
  const uint64_t start = RealClock()->NowUs();
  *code = RunCli(args, env);
  const double s = Seconds(start);
  if (*code != 0) std::printf("  tarnwick failed: %s", err.str().c_str());
  return s;
}

bool SetChip(const fs::path& dir, const std::vector<uint8_t>& chip) {
  fs::create_directories(dir / "board");
  return SaveChipFile(dir / "board", chip);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path dir =
      (argc > 1 ? fs::path(argv[1]) : ExecutableDirectory()) / "bench-cli";
  fs::remove_all(dir);
  fs::create_directories(dir);
  bool ok = true;
  int code = 0;

  // The chip already holds the image.
  const std::vector<uint8_t> full = Pattern();
  WriteStringToFileSafely(dir / "image.bin",
                          std::string(full.begin(), full.end()));
  const double desktop_same = DesktopWrite(dir, full, full);
  SetChip(dir, full);
  const double cli_same = Cli(dir, {"write", (dir / "image.bin").string()}, &code);
  ok = ok && code == 0 && cli_same < 0.5;
  std::printf("image the chip holds:  tarnwick %.3f s, desktop job %.3f s "
              "(target < 0.5 s)\n", cli_same, desktop_same);

  // Half 0xFF onto an erased chip.
  std::vector<uint8_t> half = full;
  for (uint32_t a = 0; a < kBoardChipSize; a += 2) half[a] = 0xFF;
  WriteStringToFileSafely(dir / "image.bin",
                          std::string(half.begin(), half.end()));
  const std::vector<uint8_t> erased(kBoardChipSize, 0xFF);
  const double desktop_half = DesktopWrite(dir, erased, half);
  SetChip(dir, erased);
  const double cli_half = Cli(dir, {"write", (dir / "image.bin").string()}, &code);
  const double ratio = cli_half / desktop_half;
  ok = ok && code == 0 && ratio <= 0.55;
  std::printf("half 0xFF, erased chip: tarnwick %.3f s, desktop job %.3f s, "
              "ratio %.3f (target <= 0.55)\n", cli_half, desktop_half, ratio);

  const double read = Cli(dir, {"read", (dir / "back.bin").string()}, &code);
  ok = ok && code == 0 && read < 0.25;
  std::printf("read the whole chip:   tarnwick %.3f s (target < 0.25 s)\n",
              read);
  fs::remove_all(dir);
  return ok ? 0 : 1;
}
