// tarnwick-demo: runs the chip cycles against the simulated board on the
// real clock, the way the program drives a real board: erase, program an
// image with a read-back check of every byte, read the whole chip back and
// show the signature. The board's settings and chip are kept in a board
// directory, so the next run starts from what this one programmed.
//
//   tarnwick-demo [--board DIR] [--image FILE] [--trace FILE]
//
// DIR defaults to "simboard/" in the current directory and is created when
// missing, with a settings file holding the defaults to edit. Without --image a built-in test pattern fills the whole chip.
// --trace writes every port access and sleep to FILE. Exits 0 only when
// every byte verified, the chip read back as programmed, the board saw no
// protocol violation and its files were saved.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "base/clock.h"
#include "base/file.h"
#include "link/programmer_link.h"
#include "sim/board_files.h"
#include "sim/sim_board.h"
#include "sim/trace.h"
#include "sim/tracing_clock.h"

namespace {

struct Options {
  std::string board_dir = "simboard/";
  std::string image_path;  // empty: the built-in pattern
  std::string trace_path;  // empty: no trace
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int n = 1; n < argc; ++n) {
    const std::string arg = argv[n];
    std::string* target = arg == "--board"   ? &options->board_dir
                          : arg == "--image" ? &options->image_path
                          : arg == "--trace" ? &options->trace_path
                                             : nullptr;
    if (target == nullptr || n + 1 >= argc) return false;
    *target = argv[++n];
  }
  const char last = options->board_dir.empty() ? '\0' : options->board_dir.back();
  if (last != '/' && last != '\\') options->board_dir += '/';
  return true;
}

// Up to 4096 bytes of the image file, as the write job loads it.
bool LoadImage(const std::string& path, std::vector<uint8_t>* image) {
  FileHandle f = OpenFileForReading(path);
  if (!IsOpenFile(f)) return false;
  image->assign(kChipSize, 0);
  image->resize(ReadFileBytes(f, image->data(), kChipSize));
  CloseFileHandle(f);
  return !image->empty();
}

std::vector<uint8_t> TestPattern() {
  std::vector<uint8_t> image(kChipSize);
  for (uint32_t a = 0; a < kChipSize; ++a)
    image[a] = static_cast<uint8_t>(a * 7 + (a >> 8) + 0x5A);
  return image;
}

bool WriteTraceFile(const std::string& path, const Trace& trace) {
  std::string text;
  for (const std::string& line : trace.Lines()) text += line + "\n";
  FileHandle f = CreateFileAlways(path);
  const uint32_t n = static_cast<uint32_t>(text.size());
  const bool ok = IsOpenFile(f) && WriteFileBytes(f, text.data(), n) == n;
  CloseFileHandle(f);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: tarnwick-demo [--board DIR] [--image FILE] "
                 "[--trace FILE]\n");
    return 2;
  }
  std::error_code ignored;
  std::filesystem::create_directories(options.board_dir, ignored);
  BoardSettings settings;
  std::vector<uint8_t> flash;
  std::string error;
  if (!LoadBoardFiles(options.board_dir, &settings, &flash, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::string settings_path = options.board_dir + kBoardSettingsFileName;
  FileHandle existing = OpenFileForReading(settings_path);
  CloseFileHandle(existing);
  if (!IsOpenFile(existing) && !SaveSettingsFile(options.board_dir, settings)) {
    std::fprintf(stderr, "cannot create %s\n", settings_path.c_str());
    return 1;
  }
  std::vector<uint8_t> image = TestPattern();
  if (!options.image_path.empty() && !LoadImage(options.image_path, &image)) {
    std::fprintf(stderr, "cannot read an image from %s\n",
                 options.image_path.c_str());
    return 1;
  }

  Trace trace;
  TracingClock tracing(RealClock(), &trace);
  const bool tracing_on =
      !options.trace_path.empty() || !settings.trace_file.empty();
  Clock* clock = tracing_on ? static_cast<Clock*>(&tracing) : RealClock();
  SimBoard board(RealClock(), settings);
  board.SetFlash(flash);
  if (tracing_on) board.SetTrace(&trace);
  ProgrammerLink link(&board, clock);
  link.m_rtlBase = settings.rtl_base;
  link.m_eppPort = settings.epp_port;
  const uint64_t start_us = RealClock()->NowUs();
  link.ShutdownWinIo();
  link.InitializeWinIo();

  link.EraseChip();
  std::memcpy(link.m_codeImage, image.data(), image.size());
  int unverified = 0;
  for (uint32_t a = 0; a < image.size(); ++a) {
    link.WriteCodeByte(a, link.m_codeImage[a]);
    const int read = link.ReadCodeByte(a);
    if (read != link.m_codeImage[a] && ++unverified <= 5) {
      std::printf("ADDR=%X: wrote %X, read %X\n", static_cast<unsigned>(a),
                  static_cast<unsigned>(link.m_codeImage[a]),
                  static_cast<unsigned>(read));
    }
  }
  int differ = 0;
  for (uint32_t a = 0; a < kChipSize; ++a) {
    link.m_readImage[a] = static_cast<uint8_t>(link.ReadCodeByte(a));
    const uint8_t expected = a < image.size() ? image[a] : 0xFF;
    differ += link.m_readImage[a] != expected;
  }
  const int signature[3] = {link.ReadSignatureByte(0x30),
                            link.ReadSignatureByte(0x31),
                            link.ReadSignatureByte(0x32)};
  link.ShutdownWinIo();
  const uint64_t elapsed_us = RealClock()->NowUs() - start_us;

  std::printf("30H=%X,\t31H=%X,\t32H=%X\n", static_cast<unsigned>(signature[0]),
              static_cast<unsigned>(signature[1]),
              static_cast<unsigned>(signature[2]));
  bool ok = unverified == 0 && differ == 0;
  if (!SaveChipFile(options.board_dir, board.Flash())) {
    std::printf("cannot save the chip to %s%s\n", options.board_dir.c_str(),
                kBoardChipFileName);
    ok = false;
  }
  if (!options.trace_path.empty() &&
      !WriteTraceFile(options.trace_path, trace)) {
    std::printf("cannot write the trace to %s\n", options.trace_path.c_str());
    ok = false;
  }
  if (!settings.trace_file.empty() &&
      !AppendTraceFile(options.board_dir + settings.trace_file,
                       trace.Lines())) {
    std::printf("cannot append the trace to %s%s\n",
                options.board_dir.c_str(), settings.trace_file.c_str());
    ok = false;
  }
  const std::vector<std::string> violations = board.Violations();
  for (const std::string& v : violations)
    std::printf("violation: %s\n", v.c_str());
  ok = ok && violations.empty();
  std::printf(
      "%s: erased, programmed %u bytes (%d failed verification), read back "
      "4096 bytes (%d differ), %u violations, %.3f s, board %s\n",
      ok ? "OK" : "FAILED", static_cast<unsigned>(image.size()), unverified,
      differ, static_cast<unsigned>(violations.size()), elapsed_us / 1e6,
      options.board_dir.c_str());
  return ok ? 0 : 1;
}
