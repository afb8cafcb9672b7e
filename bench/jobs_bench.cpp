// Times the two chip jobs on the simulated board with the real clock:
// programming a whole chip against the floor of its mandated sleeps, and
// reading a whole chip. Prints the figures; exits 1 when a target is missed.

#include <cstdio>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/file.h"
#include "bench/bench_job_host.h"
#include "jobs/read_chip_job.h"
#include "jobs/write_chip_job.h"
#include "session/bad_block_log.h"
#include "sim/sim_board.h"

namespace {


// The one-second pause plus 3 ms of program-cycle sleeps per byte.
constexpr double kWriteFloorS = 1.0 + kDesktopChipSize * 0.003;
constexpr double kWriteRatioTarget = 1.03;
constexpr double kReadTargetS = 0.25;

double Seconds(Clock* clock, uint64_t start_us) {
  return static_cast<double>(clock->NowUs() - start_us) / 1e6;
}

// The write job's mandated sleeps alone, without port accesses or yields:
// what this machine's sleep gives at best.
double SleepsAlone(Clock* clock) {
  const uint64_t start = clock->NowUs();
  clock->SleepMs(1000);
  for (uint32_t a = 0; a < kDesktopChipSize; ++a) {
    clock->SleepMs(1);
    clock->SleepMs(2);
  }
  return Seconds(clock, start);
}

}  // namespace

int main(int argc, char** argv) {
  // Scratch files go in the given folder, or beside the executable.
  const FilePath dir = argc > 1 ? FilePath(argv[1]) : ExecutableDirectory();
  Clock* clock = RealClock();
  SimBoard board(clock, BoardSettings());
  ProgrammerSession::Setup setup;
  setup.clock = clock;
  ProgrammerSession session(&board, setup);
  std::string why;
  session.Open(&why);

  std::vector<uint8_t> image(kDesktopChipSize);
  for (uint32_t a = 0; a < kDesktopChipSize; ++a)
    image[a] = static_cast<uint8_t>(a * 13 + (a >> 8));
  BenchJobHost host;
  host.open_path = dir / "bench-image.bin";
  host.save_path = dir / "bench-read.bin";
  if (WriteStringToFileSafely(host.open_path,
                              std::string(image.begin(), image.end())) !=
      SaveResult::kSaved) {
    std::fprintf(stderr, "cannot write %s\n",
                 PathForDisplay(host.open_path).c_str());
    return 2;
  }

  uint64_t start = clock->NowUs();
  RunWriteChipJob(session, host, dir);
  const double write_s = Seconds(clock, start);
  const bool written = board.Flash() == image && host.messages.empty();

  start = clock->NowUs();
  RunReadChipJob(session, host);
  const double read_s = Seconds(clock, start);
  std::string saved;
  ReadFileToString(host.save_path, &saved);
  const bool read = host.messages.empty() &&
                    saved == std::string(image.begin(), image.end());

  const double ratio = write_s / kWriteFloorS;
  std::printf("write 4096 bytes: %.3f s, floor %.3f s, ratio %.4f (target <= %.2f)%s\n",
              write_s, kWriteFloorS, ratio, kWriteRatioTarget,
              written ? "" : "  IMAGE NOT PROGRAMMED");
  std::printf("read 4096 bytes:  %.3f s (target < %.2f s)%s\n", read_s,
              kReadTargetS, read ? "" : "  IMAGE NOT READ");
  const double sleeps_s = SleepsAlone(clock);
  std::printf("the same sleeps alone: %.3f s, ratio %.4f; job over them: %.4f\n",
              sleeps_s, sleeps_s / kWriteFloorS, write_s / sleeps_s);
  std::printf("protocol violations: %zu\n", board.Violations().size());
  std::error_code ignored;
  std::filesystem::remove(host.open_path, ignored);
  std::filesystem::remove(host.save_path, ignored);
  std::filesystem::remove(dir / FileNameFromGbk(kBadBlockLogName), ignored);
  const bool ok = written && read && board.Violations().empty() &&
                  ratio <= kWriteRatioTarget && read_s < kReadTargetS;
  return ok ? 0 : 1;
}
