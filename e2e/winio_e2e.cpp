// End-to-end check of port access: the programmer link drives the chip
// through WinIoPort() and the WINIO.dll beside this program (the simulated
// board), and the board files that DLL keeps in this folder are checked.
//
//   winio_e2e.exe program    board settings with other ports and signature
//                            and a trace; erase, program, read back, read the
//                            signature, then check the chip and trace files
//   winio_e2e.exe persist    a later run in the same folder: sees what
//                            "program" left, and rewrites nothing it only read
//   winio_e2e.exe trace      a session longer than the DLL keeps in memory:
//                            its trace reaches the file in parts, whole and
//                            on one time scale
//   winio_e2e.exe bad-settings
//                            a malformed settings file: port access fails and
//                            the chip file is left alone; once fixed, it works
//
// Each check prints a GoogleTest-like line; the last line is
// "N passed, N failed". Exit code 0 only when every check passed.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/file.h"
#include "base/format.h"
#include "base/gbk.h"
#include "link/programmer_link.h"
#include "winio/winio_port.h"

namespace {

// The board files the simulated WINIO.dll keeps beside itself.
constexpr char kSettingsFile[] = "simboard.ini";
constexpr char kChipFile[] = "simchip.bin";

constexpr uint16_t kRtlBase = 0xE800;
constexpr uint16_t kEppPort = 0x3BC;
constexpr uint8_t kSignature[3] = {0x1E, 0x51, 0x07};

// Addresses programmed by "program": both ends, the signature addresses
// (different memory from the signature bytes), page and half boundaries.
constexpr uint32_t kProgrammed[] = {0x000, 0x001, 0x030, 0x031, 0x032,
                                    0x0FF, 0x100, 0x555, 0x7FF, 0x800,
                                    0xAAA, 0xFFE, 0xFFF};
// Addresses "program" leaves erased.
constexpr uint32_t kUntouched[] = {0x002, 0x02F, 0x400, 0xFFD};

uint8_t PatternByte(uint32_t address) {
  return static_cast<uint8_t>(address * 0x1F + 0x5A);
}

const char kGoodSettings[] =
    "# board for winio_e2e\n"
    "rtl_base = E800\n"
    "epp_port = 0x3BC\n"
    "signature = 1E 51 07\n"
    "trace = trace.txt\n";

int passed = 0;
int failed = 0;

// Records one check; `detail` says what was wrong when it failed.
void Check(const std::string& name, bool ok, const std::string& detail = "") {
  if (ok) {
    ++passed;
    std::printf("[       OK ] %s\n", name.c_str());
  } else {
    ++failed;
    std::printf("[  FAILED  ] %s: %s\n", name.c_str(), detail.c_str());
  }
  std::fflush(stdout);
}

std::string Here(const char* name) { return ExecutableDirectory() + name; }

bool ReadWholeFile(const std::string& path, std::string* out) {
  FileHandle f = OpenFileForReading(path);
  if (!IsOpenFile(f)) return false;
  out->assign(FileSizeOf(f), '\0');
  const uint32_t n =
      out->empty() ? 0
                   : ReadFileBytes(f, &(*out)[0],
                                   static_cast<uint32_t>(out->size()));
  CloseFileHandle(f);
  return n == out->size();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  FileHandle f = CreateFileAlways(path);
  if (!IsOpenFile(f)) return false;
  const uint32_t n =
      WriteFileBytes(f, bytes.data(), static_cast<uint32_t>(bytes.size()));
  CloseFileHandle(f);
  return n == bytes.size();
}

bool FileExists(const std::string& path) {
  return GetFileAttributesW(GbkToWide(path).c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

// Reads every address in `addresses`; returns the mismatches against
// `expected(address)` in words (empty when all match).
template <typename Expected>
std::string ReadAndCompare(ProgrammerLink& link,
                           const std::vector<uint32_t>& addresses,
                           Expected expected) {
  std::string wrong;
  for (uint32_t a : addresses) {
    const int got = link.ReadCodeByte(a);
    if (got != expected(a))
      wrong += Format(" %03X: read %02X, want %02X;", static_cast<unsigned>(a),
                      static_cast<unsigned>(got),
                      static_cast<unsigned>(expected(a)));
  }
  return wrong;
}

std::vector<uint32_t> Programmed() {
  return {std::begin(kProgrammed), std::end(kProgrammed)};
}
std::vector<uint32_t> Untouched() {
  return {std::begin(kUntouched), std::end(kUntouched)};
}

// The chip file's expected content after "program".
std::string ExpectedChip() {
  std::string chip(kChipSize, '\xFF');
  for (uint32_t a : kProgrammed) chip[a] = static_cast<char>(PatternByte(a));
  return chip;
}

void OpenLink(ProgrammerLink& link) {
  link.m_rtlBase = kRtlBase;
  link.m_eppPort = kEppPort;
  // As the program does when its dialog starts.
  link.ShutdownWinIo();
  Check("port access opens", link.InitializeWinIo());
}

void ScenarioProgram() {
  Check("settings written", WriteWholeFile(Here(kSettingsFile), kGoodSettings));
  ProgrammerLink link(WinIoPort(), RealClock());
  OpenLink(link);

  link.EraseChip();
  std::vector<uint32_t> all = Programmed();
  all.insert(all.end(), std::begin(kUntouched), std::end(kUntouched));
  std::string wrong = ReadAndCompare(link, all, [](uint32_t) { return 0xFF; });
  Check("erase leaves every byte FF", wrong.empty(), wrong);

  // Programmed from a worker thread, as the write job does.
  std::thread worker([&link] {
    for (uint32_t a : kProgrammed) link.WriteCodeByte(a, PatternByte(a));
  });
  worker.join();
  wrong = ReadAndCompare(link, Programmed(),
                         [](uint32_t a) { return PatternByte(a); });
  Check("programmed bytes read back", wrong.empty(), wrong);
  wrong = ReadAndCompare(link, Untouched(), [](uint32_t) { return 0xFF; });
  Check("other bytes stay erased", wrong.empty(), wrong);

  std::string signature;
  for (uint32_t a = 0x30; a <= 0x32; ++a)
    signature +=
        Format(" %02X", static_cast<unsigned>(link.ReadSignatureByte(a)));
  Check("signature from the settings",
        signature == Format(" %02X %02X %02X", kSignature[0], kSignature[1],
                            kSignature[2]),
        "read" + signature);

  link.ShutdownWinIo();
  std::string chip;
  const bool read = ReadWholeFile(Here(kChipFile), &chip);
  Check("chip file written on release", read && chip == ExpectedChip(),
        read ? Format("%u bytes, differs", static_cast<unsigned>(chip.size()))
             : "missing");

  std::string trace;
  ReadWholeFile(Here("trace.txt"), &trace);
  Check("trace file records the session",
        trace.find("InitializeWinIo") != std::string::npos &&
            trace.find("E8D7") != std::string::npos &&
            trace.find("ShutdownWinIo") != std::string::npos,
        Format("%u bytes", static_cast<unsigned>(trace.size())));
  const size_t violation = trace.find("violation");
  Check("no protocol violation in the trace", violation == std::string::npos,
        violation == std::string::npos
            ? ""
            : trace.substr(violation, trace.find('\n', violation) - violation));
}

void ScenarioPersist() {
  ProgrammerLink link(WinIoPort(), RealClock());
  OpenLink(link);
  // The board is loaded now; a chip file written from here on would be a
  // needless rewrite, as this run only reads.
  Check("chip file present from the earlier run",
        DeleteFileW(GbkToWide(Here(kChipFile)).c_str()) != 0);
  std::string wrong = ReadAndCompare(
      link, Programmed(), [](uint32_t a) { return PatternByte(a); });
  Check("earlier run's bytes read back", wrong.empty(), wrong);
  link.ShutdownWinIo();
  Check("unchanged chip not rewritten", !FileExists(Here(kChipFile)));
}

// Lines of a text file, without their line ends.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

void ScenarioTrace() {
  constexpr int kReads = 100000;  // more than the DLL holds before writing
  Check("settings written", WriteWholeFile(Here(kSettingsFile), kGoodSettings));
  ProgrammerLink link(WinIoPort(), RealClock());
  OpenLink(link);
  uint32_t value = 0;
  int failed_reads = 0;
  for (int i = 0; i < kReads; ++i)
    if (!link.GetPortVal(kRtlBase + kDataByte, &value, 1)) ++failed_reads;
  Check("data byte reads succeed", failed_reads == 0,
        Format("%d failed", failed_reads));
  Check("trace written while port access is held",
        FileExists(Here("trace.txt")));
  link.ShutdownWinIo();

  std::string text;
  ReadWholeFile(Here("trace.txt"), &text);
  const std::vector<std::string> lines = SplitLines(text);
  int reads = 0;
  double last_ms = 0;
  bool ordered = true;
  for (const std::string& line : lines) {
    if (line.find("in E8D7") != std::string::npos) ++reads;
    const double ms = std::atof(line.c_str());
    if (ms < last_ms) ordered = false;
    last_ms = ms;
  }
  Check("every access in the trace once", reads == kReads,
        Format("%d of %d reads", reads, kReads));
  Check("trace on one time scale", ordered && !lines.empty() &&
                                       lines.front().find("InitializeWinIo") !=
                                           std::string::npos &&
                                       lines.back().find("ShutdownWinIo") !=
                                           std::string::npos,
        lines.empty() ? "empty" : lines.front() + " ... " + lines.back());
}

void ScenarioBadSettings() {
  std::string chip(kChipSize, '\0');
  for (uint32_t a = 0; a < kChipSize; ++a) chip[a] = static_cast<char>(a);
  Check("board files written",
        WriteWholeFile(Here(kChipFile), chip) &&
            WriteWholeFile(Here(kSettingsFile),
                           "rtl_base = E800\nno_such_key = 1\n"));

  ProgrammerLink link(WinIoPort(), RealClock());
  link.m_rtlBase = kRtlBase;
  link.m_eppPort = kEppPort;
  link.ShutdownWinIo();
  Check("port access refused", !link.InitializeWinIo());
  uint32_t value = 0;
  const bool read_ok = link.GetPortVal(kRtlBase + kDataByte, &value, 1);
  Check("port read fails and gives FF", !read_ok && value == 0xFF,
        Format("ok=%d value=%X", read_ok, static_cast<unsigned>(value)));
  link.ShutdownWinIo();
  std::string after;
  Check("chip file left alone",
        ReadWholeFile(Here(kChipFile), &after) && after == chip);

  Check("settings fixed", WriteWholeFile(Here(kSettingsFile), kGoodSettings));
  OpenLink(link);
  const std::string wrong = ReadAndCompare(
      link, {0x000, 0x0A5, 0x123, 0xFFF},
      [](uint32_t a) { return static_cast<int>(a & 0xFF); });
  Check("chip file content read once loaded", wrong.empty(), wrong);
  link.ShutdownWinIo();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string scenario = argc == 2 ? argv[1] : "";
  std::printf("[ RUN      ] winio_e2e %s\n", scenario.c_str());
  if (scenario == "program") {
    ScenarioProgram();
  } else if (scenario == "persist") {
    ScenarioPersist();
  } else if (scenario == "trace") {
    ScenarioTrace();
  } else if (scenario == "bad-settings") {
    ScenarioBadSettings();
  } else {
    std::fprintf(stderr, "usage: winio_e2e program | persist | trace | "
                         "bad-settings\n");
    return 2;
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
