#include "cli/cli.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <system_error>

#include "base/format.h"
#include "chip/chip_operations.h"
#include "chip/parts.h"
#include "chip/write_image.h"
#include "cli/options.h"
#include "cli/progress_display.h"
#include "config/port_config.h"
#include "detect/hardware_scan.h"
#include "image/image_file.h"
#include "jobs/bad_block_log.h"
#include "link/programmer_link.h"
#include "sim/board_session.h"
#include "sim/trace.h"
#include "sim/tracing_clock.h"
#include "sim/tracing_port.h"

namespace {

// Failing addresses listed in a summary; the rest are counted.
constexpr size_t kListedFailures = 10;

// The largest part of the family: files are checked against it before the
// chip says which part it is.
constexpr uint32_t kLargestPart = 8192;

// The part taken when the signature names none and --part is not given.
constexpr uint32_t kSmallestPart = 4096;

std::string SignatureBytes(const Signature& s) {
  return Format("%02X %02X %02X", unsigned{s.at30}, unsigned{s.at31},
                unsigned{s.at32});
}

// Every step to the display, programming failures to the bad-block log,
// and a stop when Ctrl-C was pressed.
class CliSink : public ProgressSink {
 public:
  CliSink(ProgressDisplay* display, const std::atomic<bool>* interrupted,
          FileHandle log)
      : display_(display), interrupted_(interrupted), log_(log) {}

  void OnProgress(const Progress& progress) override {
    display_->Update(progress);
  }
  void OnFailure(const ByteFailure& failure) override {
    if (failure.stage != Stage::kProgram) return;
    const std::string line = LogFailureLine(failure);
    WriteFileBytes(log_, line.data(), static_cast<uint32_t>(line.size()));
  }
  bool StopRequested() override {
    return interrupted_ != nullptr && interrupted_->load();
  }

 private:
  ProgressDisplay* display_;
  const std::atomic<bool>* interrupted_;
  FileHandle log_;
};

// One run of a chip command, from its files to its exit code.
class Run {
 public:
  Run(const CliOptions& options, CliEnv& env)
      : o_(options),
        env_(env),
        out_(*env.out),
        err_(*env.err),
        display_(*env.err, env.clock, env.err_is_terminal, options.quiet) {}

  ~Run() { CloseFileHandle(log_); }

  int Go();

 private:
  // Says `what` on standard error and returns `code`.
  int Fail(int code, const std::string& what) {
    err_ << "tarnwick: " << what << "\n";
    return code;
  }
  bool Quiet() const { return o_.quiet; }
  // "FILE:LINE: what", or "FILE: what" when the fault is not on a line.
  std::string FileError(const ImageError& error) const {
    return error.line > 0
               ? Format("%s:%d: %s", o_.file.c_str(), error.line,
                        error.what.c_str())
               : o_.file + ": " + error.what;
  }

  int LoadFiles();
  int ResolvePorts(uint16_t* rtl_base, uint16_t* epp_port);
  int OpenPorts();
  int Operate();
  int Release(int code);

  // The chip's size from --part or the signature; 0 after saying why the
  // command cannot go on (with *code set).
  uint32_t ChipSize(const Signature& signature, int* code);
  int FitImage(uint32_t size);

  int ShowSignature(const Signature& signature);
  int ReadToFile(uint32_t size);
  int WriteFromFile();
  int VerifyWithFile();
  int CheckBlank(uint32_t size);
  int EraseAndCheck(uint32_t size);
  int Ended(const OperationResult& result);
  void ListFailures(const std::vector<ByteFailure>& failures,
                    const char* expected_word, const char* actual_word);

  const CliOptions& o_;
  CliEnv& env_;
  std::ostream& out_;
  std::ostream& err_;
  ProgressDisplay display_;

  ChipImage image_;
  FilePath image_path_;
  FileHandle log_ = kNoFile;

  std::unique_ptr<BoardSession> session_;
  std::unique_ptr<PortIo> real_port_;
  Trace trace_;
  std::unique_ptr<TracingPort> tracing_port_;
  std::unique_ptr<TracingClock> tracing_clock_;
  std::unique_ptr<ProgrammerLink> link_;
  bool port_open_ = false;
};

int Run::Go() {
  int code = LoadFiles();
  if (code != kExitOk) return code;
  code = OpenPorts();
  if (code != kExitOk) return Release(code);
  return Release(Operate());
}

// Everything that can be refused about files is refused here, before any
// port is touched.
int Run::LoadFiles() {
  const bool takes_image = o_.command == "write" || o_.command == "verify";
  image_path_ = PathFromUtf8(o_.file);
  if (takes_image) {
    const uint32_t limit =
        o_.part ? PartSizeByName(*o_.part) : kLargestPart;
    ImageError error;
    const ImageLoadResult loaded = LoadImageFile(
        image_path_, o_.format, limit, &image_, &error);
    if (loaded == ImageLoadResult::kNotOpened ||
        loaded == ImageLoadResult::kNotRead)
      return Fail(kExitBadUsage, "cannot read " + o_.file + ": " + error.what);
    if (loaded != ImageLoadResult::kLoaded)
      return Fail(kExitBadUsage, FileError(error));
  }
  if (o_.log) {
    log_ = CreateFileAlways(PathFromUtf8(*o_.log));
    if (!IsOpenFile(log_))
      return Fail(kExitBadUsage, "cannot create the log " + *o_.log);
  }
  return kExitOk;
}

int Run::ResolvePorts(uint16_t* rtl_base, uint16_t* epp_port) {
  *rtl_base = kDefaultRtlBase;
  *epp_port = kDefaultEppPort;
  // Real hardware with nothing said of its ports: the one card and the one
  // parallel port the system lists, if that is what it has.
  if (!o_.sim_dir && !o_.config && !o_.rtl_base && !o_.epp_port &&
      env_.can_find_ports) {
    const HardwareScan scan = ScanHardware(env_.system_root);
    std::string why;
    if (!ChoosePorts(scan, rtl_base, epp_port, &why)) {
      err_ << FormatHardwareScan(scan);
      return Fail(kExitNoAccess,
                  "cannot choose the ports by myself: " + why +
                      " (or give --config FILE)");
    }
    if (!Quiet()) {
      err_ << Format("tarnwick: using the RTL8139 at I/O %X and the parallel "
                     "port at %X\n",
                     unsigned{*rtl_base}, unsigned{*epp_port});
    }
    return kExitOk;
  }
  if (o_.config &&
      !LoadPortConfig(PathFromUtf8(*o_.config), rtl_base, epp_port)) {
    return Fail(kExitBadUsage,
                "cannot open the configuration file " + *o_.config);
  }
  if (o_.rtl_base) *rtl_base = *o_.rtl_base;
  if (o_.epp_port) *epp_port = *o_.epp_port;
  return kExitOk;
}

int Run::OpenPorts() {
  uint16_t rtl_base = 0, epp_port = 0;
  const int code = ResolvePorts(&rtl_base, &epp_port);
  if (code != kExitOk) return code;

  PortIo* port = nullptr;
  if (o_.sim_dir) {
    const FilePath dir = PathFromUtf8(*o_.sim_dir);
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    std::string error;
    session_ = BoardSession::Open(dir, env_.clock, &error);
    if (session_ == nullptr) return Fail(kExitBadUsage, error);
    port = &session_->board();
  } else {
    std::string why;
    if (env_.open_real_port) real_port_ = env_.open_real_port(&why);
    if (real_port_ == nullptr) return Fail(kExitNoAccess, why);
    port = real_port_.get();
  }
  Clock* clock = env_.clock;
  if (o_.trace) {
    tracing_port_ = std::make_unique<TracingPort>(port, env_.clock, &trace_);
    tracing_clock_ = std::make_unique<TracingClock>(env_.clock, &trace_);
    port = tracing_port_.get();
    clock = tracing_clock_.get();
  }
  link_ = std::make_unique<ProgrammerLink>(port, clock);
  link_->m_rtlBase = rtl_base;
  link_->m_eppPort = epp_port;
  port_open_ = link_->InitializeWinIo();
  if (!port_open_) {
    const std::string why = port->WhyRefused();
    return Fail(kExitNoAccess,
                "port access was refused" + (why.empty() ? "" : ": " + why));
  }
  return kExitOk;
}

// Releases port access, saves a simulated chip and writes the trace,
// whatever came before; a failure here turns success into exit code 2.
int Run::Release(int code) {
  auto failed = [&](const std::string& what) {
    Fail(kExitBadUsage, what);
    if (code == kExitOk) code = kExitBadUsage;
  };
  if (port_open_) link_->ShutdownWinIo();
  if (session_ != nullptr) {
    std::string error;
    if (!session_->SaveChipIfChanged(&error)) failed(error);
    if (!session_->FlushTrace(&error)) failed(error);
  }
  if (o_.trace && link_ != nullptr) {
    std::string text;
    for (const std::string& line : trace_.Lines()) text += line + "\n";
    std::string error;
    if (WriteStringToFileSafely(PathFromUtf8(*o_.trace), text, &error) !=
        SaveResult::kSaved)
      failed("cannot write the trace " + *o_.trace + ": " + error);
  }
  return code;
}

uint32_t Run::ChipSize(const Signature& signature, int* code) {
  const bool changes_chip = o_.command == "write" || o_.command == "erase";
  if (NoChipAnswers(signature) && !o_.force) {
    *code = Fail(kExitNoAccess,
                 "no chip answers (the signature reads " +
                     SignatureBytes(signature) +
                     "): check the chip, the board and its ports; --force "
                     "goes on regardless");
    return 0;
  }
  if (o_.part) return PartSizeByName(*o_.part);
  const Part* part = PartBySignature(signature);
  if (part != nullptr) return part->size;
  if (changes_chip && !o_.force) {
    *code = Fail(kExitNoAccess,
                 "unknown signature " + SignatureBytes(signature) +
                     ": name the part with --part 89c51 or --part 89c52, "
                     "or go on with --force");
    return 0;
  }
  if (!Quiet()) {
    err_ << "tarnwick: signature " << SignatureBytes(signature)
         << " names no known part; taking a 4 KB 89C51 (--part names "
            "another)\n";
  }
  return kSmallestPart;
}

// Checks the image against the chip's real size; a byte beyond it is told
// with the line of its record.
int Run::FitImage(uint32_t size) {
  ImageError error;
  if (!FitImageToChip(&image_, size, &error))
    return Fail(kExitBadUsage, FileError(error));
  return kExitOk;
}

int Run::Operate() {
  const Signature signature = ReadSignature(*link_);
  if (link_->port_failures() != 0)
    return Fail(kExitNoAccess, "the port-access library refused the ports");
  if (o_.command == "signature") return ShowSignature(signature);
  int code = kExitOk;
  const uint32_t size = ChipSize(signature, &code);
  if (size == 0) return code;
  if (o_.command == "read") return ReadToFile(size);
  if (o_.command == "blank-check") return CheckBlank(size);
  if (o_.command == "erase") return EraseAndCheck(size);
  code = FitImage(size);
  if (code != kExitOk) return code;
  return o_.command == "write" ? WriteFromFile() : VerifyWithFile();
}

int Run::ShowSignature(const Signature& s) {
  out_ << Format("30H=%X,\t31H=%X,\t32H=%X\n", unsigned{s.at30},
                 unsigned{s.at31}, unsigned{s.at32});
  if (NoChipAnswers(s)) return Fail(kExitNoAccess, "no chip answers");
  const Part* part = PartBySignature(s);
  if (part == nullptr) {
    out_ << "unknown signature: no part of the table\n";
  } else {
    out_ << Format("%s: %u KB of flash, programmed at %s\n", part->name,
                   part->size / 1024, part->voltage);
  }
  return kExitOk;
}

// The exit code of an operation that ended without its own verdict.
int Run::Ended(const OperationResult& result) {
  if (result.port_failed)
    return Fail(kExitNoAccess, "the port-access library refused the ports");
  if (result.outcome == Outcome::kStopped)
    return Fail(kExitInterrupted, "interrupted; stopped at the next address");
  return kExitOk;
}

void Run::ListFailures(const std::vector<ByteFailure>& failures,
                       const char* expected_word, const char* actual_word) {
  const size_t listed = std::min(failures.size(), kListedFailures);
  for (size_t n = 0; n < listed; ++n) {
    const ByteFailure& f = failures[n];
    out_ << Format("  %04X: %s %02X, %s %02X\n", f.address, expected_word,
                   unsigned{f.expected}, actual_word, unsigned{f.actual});
  }
  if (failures.size() > listed)
    out_ << Format("  ... and %zu more\n", failures.size() - listed);
}

int Run::ReadToFile(uint32_t size) {
  std::vector<uint8_t> bytes(size, 0xFF);
  CliSink sink(&display_, env_.interrupted, kNoFile);
  const OperationResult result = ReadChip(*link_, 0, size, bytes.data(), sink);
  display_.Finish("read");
  const int code = Ended(result);
  if (code != kExitOk) return code;  // nothing half read is saved
  std::string error;
  if (SaveImageFile(image_path_, o_.format, bytes, &error) !=
      SaveResult::kSaved)
    return Fail(kExitBadUsage, "cannot write " + o_.file + ": " + error);
  if (!Quiet())
    out_ << Format("read %u bytes into %s\n", size, o_.file.c_str());
  return kExitOk;
}

int Run::WriteFromFile() {
  const std::string start = kLogStartLine, end = kLogEndLine;
  WriteFileBytes(log_, start.data(), static_cast<uint32_t>(start.size()));
  CliSink sink(&display_, env_.interrupted, log_);
  const uint32_t size = static_cast<uint32_t>(image_.bytes.size());
  const WriteReport report =
      WriteImage(*link_, image_.bytes.data(), size,
                 o_.no_erase ? WriteMode::kNoErase : WriteMode::kDifferential,
                 sink);
  // The log ends whatever happened, Ctrl-C included.
  WriteFileBytes(log_, end.data(), static_cast<uint32_t>(end.size()));
  display_.Finish("write");
  if (!Quiet() || !report.failures.empty()) {
    out_ << Format("write: %u bytes programmed, %u skipped, %zu failed%s\n",
                   report.programmed, report.skipped, report.failures.size(),
                   report.erased ? " (the chip was erased first)" : "");
    ListFailures(report.failures, "wrote", "read back");
  }
  OperationResult ended;
  ended.outcome = report.outcome;
  ended.port_failed = report.port_failed;
  const int code = Ended(ended);
  if (code != kExitOk) return code;
  return report.failures.empty() ? kExitOk : kExitChipFailed;
}

int Run::VerifyWithFile() {
  CliSink sink(&display_, env_.interrupted, kNoFile);
  const uint32_t size = static_cast<uint32_t>(image_.bytes.size());
  const OperationResult result =
      Verify(*link_, image_.bytes.data(), size, sink);
  display_.Finish("verify");
  const int code = Ended(result);
  if (code != kExitOk) return code;
  if (!Quiet() || !result.failures.empty()) {
    out_ << Format("verify: %u bytes compared, %zu differ\n", size,
                   result.failures.size());
    ListFailures(result.failures, "file", "chip");
  }
  return result.failures.empty() ? kExitOk : kExitChipFailed;
}

int Run::CheckBlank(uint32_t size) {
  CliSink sink(&display_, env_.interrupted, kNoFile);
  const OperationResult result = BlankCheck(*link_, size, sink);
  display_.Finish("blank-check");
  const int code = Ended(result);
  if (code != kExitOk) return code;
  if (!Quiet() || !result.failures.empty()) {
    out_ << Format("blank-check: %u bytes checked, %zu not blank\n", size,
                   result.failures.size());
    ListFailures(result.failures, "want", "chip");
  }
  return result.failures.empty() ? kExitOk : kExitChipFailed;
}

int Run::EraseAndCheck(uint32_t size) {
  CliSink sink(&display_, env_.interrupted, kNoFile);
  OperationResult result = Erase(*link_, sink);
  int code = Ended(result);
  if (code != kExitOk) return code;
  result = BlankCheck(*link_, size, sink);
  display_.Finish("erase");
  code = Ended(result);
  if (code != kExitOk) return code;
  if (!result.failures.empty()) {
    out_ << Format("erase: %zu of %u bytes are not blank after the erase\n",
                   result.failures.size(), size);
    ListFailures(result.failures, "want", "chip");
    return kExitChipFailed;
  }
  if (!Quiet()) out_ << Format("erase: all %u bytes blank\n", size);
  return kExitOk;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliEnv& env) {
  CliOptions options;
  int code = kExitOk;
  if (!ParseCliOptions(args, *env.out, *env.err, &options, &code)) return code;
  if (options.command == "ports") {
    if (!env.can_find_ports) {
      *env.err << "tarnwick: ports: finding the hardware works on Linux "
                  "only; give --rtl-base and --epp-port, or --config FILE\n";
      return kExitBadUsage;
    }
    *env.out << FormatHardwareScan(ScanHardware(env.system_root));
    return kExitOk;
  }
  Run run(options, env);
  return run.Go();
}
