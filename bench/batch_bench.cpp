// tarnwick-bench-batch: the production run on the simulated board with the
// real clock, a thread acting as the operator: it puts an erased chip file
// into the board's folder, waits for the chip's result, takes the file out,
// waits for the socket to be seen empty, and so on. Each chip gets a 4 KB
// image with a BCD serial number, and a journal line, both on the disk.
// Measured for each chip:
//   - the time beyond its write and verify: from the file put in to the
//     result told, less the write (detection, settling, serial, journal;
//     target: at most 0.5 s);
//   - the time from the file taken out to the socket seen empty.
// Prints them with chips per hour; exits 1 when the target is missed.
//   tarnwick-bench-batch [FOLDER [CHIPS]]

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/file.h"
#include "production/batch_run.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kChipSize = 4096;  // the default simulated board's

double Seconds(uint64_t us) { return static_cast<double>(us) / 1e6; }

// Times the operator's thread and the run's thread both write.
struct Times : BatchEvents {
  std::mutex mutex;
  std::atomic<int> results{0}, removed{0}, passed{0};
  std::vector<uint64_t> result_us, removed_us;
  std::vector<double> write_s;

  void OnResult(const ChipResult& r) override {
    std::lock_guard<std::mutex> hold(mutex);
    result_us.push_back(RealClock()->NowUs());
    write_s.push_back(r.write_seconds);
    if (r.verdict == ChipVerdict::kPass) ++passed;
    ++results;
  }
  void OnChipRemoved(const ChipEvent&) override {
    std::lock_guard<std::mutex> hold(mutex);
    removed_us.push_back(RealClock()->NowUs());
    ++removed;
  }
};

void WaitFor(const std::atomic<int>& count, int n) {
  while (count.load() < n) RealClock()->SleepMs(1);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path dir =
      (argc > 1 ? fs::path(argv[1]) : ExecutableDirectory()) / "bench-batch";
  const int chips = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  fs::remove_all(dir);
  fs::create_directories(dir / "board");  // an empty socket
  auto hold = HoldFineClockResolution();

  ProgrammerSession::Setup session_setup;
  session_setup.clock = RealClock();
  session_setup.chip_socket = true;
  std::string why;
  auto session =
      ProgrammerSession::Simulated(dir / "board", session_setup, &why);
  if (session == nullptr || !session->Open(&why)) {
    std::printf("cannot open the board: %s\n", why.c_str());
    return 1;
  }
  const SerialArea area{kChipSize - 4, 4, SerialFormat::kBcd};
  auto serials = SerialAllocator::Open(
      {dir / "serial.txt", 1, 1, LargestSerial(area)}, RealRecordFiles(),
      &why);
  auto journal =
      Journal::Open(dir / "journal.csv", RealRecordFiles(), &why);
  if (serials == nullptr || journal == nullptr) {
    std::printf("cannot keep the records: %s\n", why.c_str());
    return 1;
  }

  BatchSetup setup;
  setup.image.bytes.resize(kChipSize - 4);
  for (uint32_t a = 0; a < setup.image.bytes.size(); ++a)
    setup.image.bytes[a] = static_cast<uint8_t>((a * 13 + (a >> 8)) % 255);
  setup.serial = area;
  setup.serials = serials.get();
  setup.journal = journal.get();
  setup.clock = RealClock();
  std::atomic<bool> done{false};
  setup.stop = [&done] { return done.load(); };
  Times times;
  PollingSocket socket(session.get(), RealClock(), setup.stop, &times);

  std::vector<uint64_t> inserted_us, taken_out_us;
  std::thread operator_thread([&] {
    const std::string erased(kChipSize, '\xFF');
    for (int n = 1; n <= chips; ++n) {
      WriteStringToFileSafely(dir / "new.bin", erased);
      inserted_us.push_back(RealClock()->NowUs());
      fs::rename(dir / "new.bin", dir / "board" / "simchip.bin");
      WaitFor(times.results, n);
      taken_out_us.push_back(RealClock()->NowUs());
      fs::rename(dir / "board" / "simchip.bin",
                 dir / ("chip-" + std::to_string(n) + ".bin"));
      WaitFor(times.removed, n);
    }
    done = true;
  });
  const BatchSummary summary = RunBatch(setup, *session, socket, times);
  operator_thread.join();

  double worst = 0, total_beyond = 0, total_write = 0, total_gone = 0;
  for (int n = 0; n < chips; ++n) {
    const double beyond =
        Seconds(times.result_us[n] - inserted_us[n]) - times.write_s[n];
    const double gone = Seconds(times.removed_us[n] - taken_out_us[n]);
    std::printf("chip %d: write and verify %.3f s, beyond them %.3f s, "
                "taken out to seen empty %.3f s\n",
                n + 1, times.write_s[n], beyond, gone);
    worst = std::max(worst, beyond);
    total_beyond += beyond;
    total_write += times.write_s[n];
    total_gone += gone;
  }
  const double per_chip = (total_write + total_beyond + total_gone) / chips;
  std::printf("%d chips, %d passed; beyond the write: mean %.3f s, worst "
              "%.3f s (target <= 0.5 s)\n",
              chips, times.passed.load(), total_beyond / chips, worst);
  std::printf("a 4 KB image: %.0f chips per hour with instant swaps "
              "(%.3f s a chip); the run's own figure %.0f\n",
              3600 / per_chip, per_chip, summary.chips_per_hour);
  const bool ok = worst <= 0.5 && times.passed.load() == chips;
  return ok ? 0 : 1;
}
