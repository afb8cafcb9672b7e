// tarnwick-bench-load: the command line's full 4 KB write (--no-erase:
// 4096 program cycles, 12.288 s of mandated sleeps) on the simulated board,
// through the real program, first on an idle machine and then with a busy
// process on every processor, which it starts and stops itself. Target
// with the busy processes: at most 1.15 x the mandated sleeps. Prints the
// figures; exits 1 when the target is missed.
//
//   tarnwick-bench-load [FOLDER]   (default: beside this program)

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/file.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr double kMandatedSeconds = 4096 * 0.003;

// Runs `args` (the program first) and waits for it; its exit status.
int Run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
    return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The write's seconds, or a negative number when it failed.
double TimedWrite(const fs::path& dir) {
  const uint64_t start = RealClock()->NowUs();
  const int code = Run({TARNWICK_BINARY, "--sim", (dir / "board").string(),
                        "write", (dir / "image.bin").string(), "--no-erase",
                        "--quiet"});
  const double seconds = (RealClock()->NowUs() - start) / 1e6;
  if (code != 0) std::printf("  tarnwick failed with exit code %d\n", code);
  return code == 0 ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path dir =
      (argc > 1 ? fs::path(argv[1]) : ExecutableDirectory()) / "bench-load";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::mt19937 random(7);
  std::string image(4096, '\0');
  for (char& c : image) c = static_cast<char>(random() % 255);  // no FF
  WriteStringToFileSafely(dir / "image.bin", image);

  const double idle = TimedWrite(dir);
  const long cores = sysconf(_SC_NPROCESSORS_ONLN);
  std::vector<pid_t> busy;
  for (long n = 0; n < (cores > 1 ? cores : 2); ++n) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (volatile unsigned spin = 0;; spin = spin + 1) {
      }
    }
    busy.push_back(pid);
  }
  const double loaded = TimedWrite(dir);
  for (pid_t pid : busy) kill(pid, SIGKILL);
  for (pid_t pid : busy) waitpid(pid, nullptr, 0);
  fs::remove_all(dir);

  std::printf("4 KB write, --no-erase (mandated sleeps %.3f s):\n",
              kMandatedSeconds);
  std::printf("  idle machine:        %.3f s, %.3f x\n", idle,
              idle / kMandatedSeconds);
  std::printf("  %zu busy processes:   %.3f s, %.3f x (target <= 1.15 x)\n",
              busy.size(), loaded, loaded / kMandatedSeconds);
  return idle > 0 && loaded > 0 && loaded / kMandatedSeconds <= 1.15 ? 0 : 1;
}
