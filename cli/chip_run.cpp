#include "cli/chip_run.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "base/format.h"
#include "chip/failure_analysis.h"
#include "chip/parts.h"
#include "cli/board_check.h"
#include "cli/failure_words.h"
#include "cli/progress_display.h"
#include "cli/run_files.h"
#include "config/port_config.h"
#include "detect/hardware_scan.h"
#include "image/image_file.h"
#include "link/trace_file.h"
#include "session/programmer_session.h"
#include "sim/board_files.h"

namespace {

// Failing addresses listed in a summary; the rest are counted.
constexpr size_t kListedFailures = 10;

constexpr char kRefusedPorts[] = "the port-access library refused the ports";
constexpr char kCheckTheBoard[] =
    "the data lines are not stable: check the board's wiring and power";
constexpr char kUnchanged[] = "the chip is unchanged";

std::string SignatureBytes(const Signature& s) {
  return Format("%02X %02X %02X", unsigned{s.at30}, unsigned{s.at31},
                unsigned{s.at32});
}

// Every step to the display, and a stop when a signal asked for one.
class CliSink : public ProgressSink {
 public:
  CliSink(ProgressDisplay* display, const std::atomic<bool>* interrupted)
      : display_(display), interrupted_(interrupted) {}

  void OnProgress(const Progress& progress) override {
    display_->Update(progress);
  }
  bool StopRequested() override {
    return interrupted_ != nullptr && interrupted_->load();
  }

 private:
  ProgressDisplay* display_;
  const std::atomic<bool>* interrupted_;
};

// One run of a chip command, from its files to its exit code.
class ChipRun {
 public:
  ChipRun(const CliOptions& options, CliEnv& env)
      : o_(options),
        env_(env),
        out_(*env.out),
        display_(*env.err, env.clock, env.err_is_terminal, options.quiet),
        sink_(&display_, env.interrupted) {
    if (o_.trace_limit > 0) trace_.SetLimit(o_.trace_limit);
  }

  int Go() {
    int code = CheckFiles();
    if (code == kExitOk) code = Open();
    if (code == kExitOk) code = Operate();
    return Release(code);
  }

 private:
  // Says `what` on standard error and returns `code`.
  int Fail(int code, const std::string& what) {
    *env_.err << "tarnwick: " << what << "\n";
    return code;
  }
  bool ToStandardStreams() const { return o_.file == "-"; }
  // The image file as messages name it.
  std::string FileName() const {
    return ToStandardStreams() ? "standard input" : o_.file;
  }
  // "FILE:LINE: what", or "FILE: what" when the fault is not on a line.
  int FileFault(const ImageError& error) {
    return Fail(kExitBadUsage,
                error.line > 0 ? Format("%s:%d: %s", FileName().c_str(),
                                        error.line, error.what.c_str())
                               : FileName() + ": " + error.what);
  }
  // Summaries go to standard error only when standard output carries the
  // image `read` writes.
  std::ostream& Summary() {
    return o_.command == "read" && ToStandardStreams() ? *env_.err : out_;
  }
  int CheckFiles();
  std::vector<NamedFile> NamedFiles() const;
  int LoadImage();
  int ResolvePorts(BoardPorts* ports);
  int Open();
  int StartOutputs();
  int Operate();
  int Release(int code);
  int ShowSignature(const Signature& signature, bool unstable);
  int ReadToFile(uint32_t size);
  int CheckBlank(uint32_t size);
  int VerifyWithFile();
  int WriteFromFile();
  int Ended(Outcome outcome, bool port_failed, const char* command,
            const char* chip);
  int Verdict(const OperationResult& r, const std::string& summary,
              const char* expected_word, const char* actual_word);
  void List(const std::vector<ByteFailure>& failures, const char* expected,
            const char* actual);

  const CliOptions& o_;
  CliEnv& env_;
  std::ostream& out_;
  ProgressDisplay display_;
  CliSink sink_;
  ChipImage image_;
  BadBlockLog log_;
  Trace trace_;
  std::unique_ptr<TraceFile> trace_file_;
  std::unique_ptr<ClockResolution> fine_clock_;
  std::unique_ptr<PortIo> real_port_;
  std::unique_ptr<ProgrammerSession> session_;
  std::unique_ptr<BoardLock> board_lock_;
};

// The files this run names, and which of them it writes; a simulated
// board's own files are written by the board.
std::vector<NamedFile> ChipRun::NamedFiles() const {
  std::vector<NamedFile> files;
  if (!o_.file.empty() && !ToStandardStreams()) {
    files.push_back({"the image file " + o_.file, PathFromUtf8(o_.file),
                     o_.command == "read"});
  }
  const struct {
    const char* option;
    const std::optional<std::string>& path;
    bool written;
  } options[] = {
      {"--log", o_.log, true},
      {"--trace", o_.trace, true},
      {"--config", o_.config, false},
  };
  for (const auto& option : options) {
    if (option.path) {
      files.push_back({std::string(option.option) + " " + *option.path,
                       PathFromUtf8(*option.path), option.written});
    }
  }
  if (o_.sim_dir) {
    const FilePath chip = PathFromUtf8(*o_.sim_dir) / kBoardChipFileName;
    const FilePath settings =
        PathFromUtf8(*o_.sim_dir) / kBoardSettingsFileName;
    files.push_back(
        {"the simulated board's " + PathForDisplay(chip), chip, true});
    files.push_back(
        {"the simulated board's " + PathForDisplay(settings), settings, false});
  }
  return files;
}

// Everything that can be refused about files is refused here, before any
// port is touched and before anything is written: no file named twice, the
// outputs writable, the image sound, the simulated board's folder usable.
int ChipRun::CheckFiles() {
  if (o_.command == "read" && ToStandardStreams() && env_.out_is_terminal &&
      o_.format != ImageFormat::kIntelHex &&
      o_.format != ImageFormat::kSRecord) {
    return Fail(kExitBadUsage,
                "read -: standard output is a terminal; give --format ihex "
                "or --format srec, or send it to a file or a pipe");
  }
  std::string why;
  if (!EachFileItsOwn(NamedFiles(), &why)) return Fail(kExitBadUsage, why);
  // The outputs: read's image, replaced whole by a new file, and the log
  // and the trace, written into.
  const struct {
    bool given;
    const char* option;
    std::string path;
  } outputs[] = {
      {o_.command == "read" && !ToStandardStreams(), "", o_.file},
      {o_.log.has_value(), "--log ", o_.log.value_or("")},
      {o_.trace.has_value(), "--trace ", o_.trace.value_or("")},
  };
  for (const auto& output : outputs) {
    if (output.given && !CanWriteFile(PathFromUtf8(output.path),
                                      *output.option == '\0', &why)) {
      return Fail(kExitBadUsage, "cannot write " + std::string(output.option) +
                                     output.path + ": " + why);
    }
  }
  const int code = LoadImage();
  if (code != kExitOk) return code;
  if (o_.sim_dir && !PrepareBoardFolder(PathFromUtf8(*o_.sim_dir), &why))
    return Fail(kExitBadUsage, "--sim: " + why);
  return kExitOk;
}

// An image is loaded for the largest part it may meet (or the part named)
// and fitted to the part in the socket once its signature is read.
int ChipRun::LoadImage() {
  if (o_.command != "write" && o_.command != "verify") return kExitOk;
  const Part* named = o_.part ? PartByName(*o_.part) : nullptr;
  const uint32_t size = named != nullptr ? named->size : LargestPartSize();
  ImageError error;
  ImageLoadResult loaded;
  if (ToStandardStreams()) {
    std::string contents;
    switch (ReadInput(*env_.in, ImageFileLimit(size),
                      [this] { return sink_.StopRequested(); }, &contents)) {
      case InputResult::kStopped:
        return Fail(kExitInterrupted, "interrupted while reading standard "
                                      "input; " + std::string(kUnchanged));
      case InputResult::kTooLarge:
        return Fail(kExitBadUsage,
                    Format("standard input: more than %llu bytes, more than "
                           "any image file holds",
                           static_cast<unsigned long long>(
                               ImageFileLimit(size))));
      case InputResult::kFailed:
        return Fail(kExitBadUsage, "cannot read standard input");
      case InputResult::kRead:
        break;
    }
    loaded = ParseImage(contents, FilePath(), o_.format, size, &image_, &error);
  } else {
    loaded = LoadImageFile(PathFromUtf8(o_.file), o_.format, size, &image_,
                           &error);
  }
  if (loaded == ImageLoadResult::kNotOpened ||
      loaded == ImageLoadResult::kNotRead) {
    if (sink_.StopRequested())  // a signal ended the wait for a FIFO
      return Fail(kExitInterrupted, "interrupted while opening " + o_.file);
    return Fail(kExitBadUsage, "cannot read " + o_.file + ": " + error.what);
  }
  if (loaded != ImageLoadResult::kLoaded) return FileFault(error);
  if (named != nullptr && !FitImageToChip(&image_, size, named->name, &error))
    return FileFault(error);
  return kExitOk;
}

int ChipRun::ResolvePorts(BoardPorts* ports) {
  // Real hardware with nothing said of its ports: the one card and the one
  // parallel port the system lists, if that is what it has.
  if (!o_.sim_dir && !o_.config && !o_.rtl_base && !o_.epp_port &&
      env_.can_find_ports) {
    const HardwareScan scan = ScanHardware(env_.system_root);
    std::string why;
    if (!ChoosePorts(scan, &ports->rtl_base, &ports->epp_port, &why)) {
      *env_.err << FormatHardwareScan(scan);
      return Fail(kExitNoAccess, "cannot choose the ports by myself: " + why +
                                     " (or give --config FILE)");
    }
    if (!o_.quiet) {
      *env_.err << Format("tarnwick: using the RTL8139 at I/O %X and the "
                          "parallel port at %X\n",
                          unsigned{ports->rtl_base}, unsigned{ports->epp_port});
    }
    return kExitOk;
  }
  if (o_.config && !LoadPortConfig(PathFromUtf8(*o_.config), ports))
    return Fail(kExitBadUsage,
                "cannot open the configuration file " + *o_.config);
  if (o_.rtl_base) ports->rtl_base = *o_.rtl_base;
  if (o_.epp_port) ports->epp_port = *o_.epp_port;
  return kExitOk;
}

// Takes the board for this run (before a simulated board's files are
// read, so that they are the last run's), then opens port access.
int ChipRun::Open() {
  ProgrammerSession::Setup setup;
  setup.clock = env_.clock;
  if (o_.trace) setup.trace = &trace_;
  const int code = ResolvePorts(&setup.ports);
  if (code != kExitOk) return code;
  const FilePath sim_dir = o_.sim_dir ? PathFromUtf8(*o_.sim_dir) : FilePath();
  const uint32_t wait_ms =
      static_cast<uint32_t>(o_.wait_seconds.value_or(0) * 1000);
  std::string why;
  board_lock_ = ProgrammerSession::ClaimBoard(
      setup.ports, sim_dir, env_.clock, wait_ms,
      [this] { return sink_.StopRequested(); }, &why);
  if (board_lock_ == nullptr) {
    if (sink_.StopRequested())
      return Fail(kExitInterrupted, "interrupted while waiting for the board");
    return Fail(kExitNoAccess,
                "the board is busy: " + why +
                    (o_.wait_seconds ? Format(" (waited %g s)",
                                              *o_.wait_seconds)
                                     : "; --wait SECONDS waits for it"));
  }
  if (o_.sim_dir) {
    session_ = ProgrammerSession::Simulated(sim_dir, setup, &why);
    if (session_ == nullptr) return Fail(kExitBadUsage, why);
    // The board's own trace, named by its settings, is written too.
    const FilePath board_trace = session_->BoardTraceFile();
    std::vector<NamedFile> files = NamedFiles();
    files.push_back({"the simulated board's trace " +
                         PathForDisplay(board_trace),
                     board_trace, true});
    if (!board_trace.empty() && !EachFileItsOwn(files, &why))
      return Fail(kExitBadUsage, why);
  } else {
    if (env_.open_real_port)
      real_port_ = env_.open_real_port(setup.ports,
                                       o_.port_library.value_or(""), &why);
    if (real_port_ == nullptr) return Fail(kExitNoAccess, why);
    if (!why.empty() && !o_.quiet) *env_.err << "tarnwick: " << why << "\n";
    session_ = std::make_unique<ProgrammerSession>(real_port_.get(), setup);
  }
  if (env_.hold_fine_clock) fine_clock_ = env_.hold_fine_clock();
  if (!session_->Open(&why)) {
    return Fail(kExitNoAccess,
                "port access was refused" + (why.empty() ? "" : ": " + why));
  }
  return kExitOk;
}

// Every refusal passed: the trace goes to its file from here on, the lines
// of the signature's reads first, and the log is made.
int ChipRun::StartOutputs() {
  if (o_.trace) {
    trace_file_ = std::make_unique<TraceFile>(PathFromUtf8(*o_.trace),
                                              TraceFile::Mode::kReplace);
    trace_.SendTo(trace_file_.get());
  }
  if (o_.log && !log_.Create(PathFromUtf8(*o_.log)))
    return Fail(kExitBadUsage, "cannot create the log " + *o_.log);
  return kExitOk;
}

// Releases port access, saves a simulated board and the trace, and then
// lets the board and the clock go, whatever came before; a failure here
// turns success into exit code 2.
int ChipRun::Release(int code) {
  std::vector<std::string> failures;
  if (session_ != nullptr) failures = session_->Close();
  if (trace_file_ != nullptr) {
    if (!trace_.Flush())
      failures.push_back("cannot write the trace " + *o_.trace);
    if (trace_.cut()) {
      *env_.err << Format("tarnwick: warning: the trace %s stops partway: it "
                          "reached its limit of %llu bytes (--trace-limit)\n",
                          o_.trace->c_str(),
                          static_cast<unsigned long long>(o_.trace_limit));
    }
  } else if (o_.trace && session_ != nullptr && !o_.quiet) {
    // Refused by what the board answered: say where that can be traced.
    *env_.err << "tarnwick: no trace written, the run being refused; "
                 "`tarnwick signature --trace FILE` traces the signature's "
                 "reads\n";
  }
  for (const std::string& failure : failures) {
    Fail(kExitBadUsage, failure);
    if (code == kExitOk) code = kExitBadUsage;
  }
  trace_file_.reset();
  board_lock_.reset();
  fine_clock_.reset();
  return code;
}

// The exit code of an operation that ended without its own verdict, after
// ending the display for `command` (when given). A stop says what became
// of the chip.
int ChipRun::Ended(Outcome outcome, bool port_failed, const char* command,
                   const char* chip) {
  if (command != nullptr) display_.Finish(command);
  if (port_failed) return Fail(kExitNoAccess, kRefusedPorts);
  if (outcome == Outcome::kStopped) {
    return Fail(kExitInterrupted,
                std::string("interrupted; stopped at the next address: ") +
                    chip);
  }
  return kExitOk;
}

void ChipRun::List(const std::vector<ByteFailure>& failures,
                   const char* expected, const char* actual) {
  const size_t listed = std::min(failures.size(), kListedFailures);
  for (size_t n = 0; n < listed; ++n) {
    const ByteFailure& f = failures[n];
    Summary() << Format("  %04X: %s %02X, %s %02X\n", f.address, expected,
                        unsigned{f.expected}, actual, unsigned{f.actual});
  }
  if (failures.size() > listed)
    Summary() << Format("  ... and %zu more\n", failures.size() - listed);
}

// Prints `summary` (unless quiet and all is well) with the first failures
// and the addresses whose two reads differed, and returns the exit code
// they mean.
int ChipRun::Verdict(const OperationResult& r, const std::string& summary,
                     const char* expected_word, const char* actual_word) {
  if (!o_.quiet || !r.failures.empty()) {
    Summary() << summary;
    List(r.failures, expected_word, actual_word);
    // What the failures point at, over the bytes wanted: the file's, or
    // FF for a blank check.
    const bool file = o_.command == "write" || o_.command == "verify";
    Summary() << DescribeFailures(AnalyseFailures(
        r.failures, file ? image_.bytes
                         : std::vector<uint8_t>(r.handled, 0xFF)));
  }
  if (!r.unstable.empty()) {
    Summary() << Format("%zu addresses read differently twice: %s\n",
                        r.unstable.size(), kCheckTheBoard);
    List(r.unstable, "first", "then");
  }
  return r.failures.empty() && r.unstable.empty() ? kExitOk : kExitChipFailed;
}

int ChipRun::Operate() {
  bool refused = false;
  bool unstable = false;
  const Signature signature = session_->ReadSignature(&refused, &unstable);
  if (refused) return Fail(kExitNoAccess, kRefusedPorts);
  const std::string& command = o_.command;
  if (command == "signature") {
    const int code = StartOutputs();
    return code != kExitOk ? code : ShowSignature(signature, unstable);
  }
  if (command == "selftest") {
    const int code = StartOutputs();
    return code != kExitOk ? code
                           : RunSelfTest(*session_, signature, unstable, o_,
                                         env_);
  }
  if (unstable && !o_.force) {
    return Fail(kExitChipFailed, "the signature read differently twice: " +
                                     std::string(kCheckTheBoard) +
                                     " (--force goes on regardless)");
  }
  const PartChoice part =
      SettlePart(signature, o_.part.value_or(""), o_.force,
                 command == "write" || command == "erase");
  const Part* found = PartBySignature(signature);
  switch (part.verdict) {
    case PartVerdict::kNoChip:
      return Fail(kExitNoAccess,
                  "no chip answers (the signature reads " +
                      SignatureBytes(signature) +
                      "): check the chip, the board and its ports; --force "
                      "goes on regardless");
    case PartVerdict::kUnknown:
      return Fail(kExitNoAccess,
                  "unknown signature " + SignatureBytes(signature) +
                      ": name the part with --part 89c51 or --part 89c52, "
                      "or go on with --force");
    case PartVerdict::kContradicted:
      return Fail(kExitNoAccess,
                  "--part " + *o_.part + ", but the signature " +
                      SignatureBytes(signature) + " names an " + found->name +
                      ": check the chip in the socket, or go on with "
                      "--force");
    case PartVerdict::kAssumed:
      if (!o_.quiet) {
        *env_.err << "tarnwick: signature " << SignatureBytes(signature)
                  << " names no known part; taking a 4 KB " << part.name
                  << " (--part names another)\n";
      }
      break;
    case PartVerdict::kNamed:
      if (found != nullptr && found->size != part.size) {
        *env_.err << "tarnwick: warning: --part " << *o_.part
                  << ", but the signature " << SignatureBytes(signature)
                  << " names an " << found->name << "\n";
      }
      break;
    default:
      break;
  }
  ImageError error;
  if ((command == "write" || command == "verify") &&
      !FitImageToChip(&image_, part.size, part.name, &error))
    return FileFault(error);
  const int code = StartOutputs();
  if (code != kExitOk) return code;
  if (command == "read") return ReadToFile(part.size);
  if (command == "blank-check" || command == "erase")
    return CheckBlank(part.size);
  return command == "verify" ? VerifyWithFile() : WriteFromFile();
}

int ChipRun::ShowSignature(const Signature& s, bool unstable) {
  out_ << Format("30H=%X,\t31H=%X,\t32H=%X\n", unsigned{s.at30},
                 unsigned{s.at31}, unsigned{s.at32});
  if (unstable) {
    return Fail(kExitChipFailed, "the signature read differently twice: " +
                                     std::string(kCheckTheBoard));
  }
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

int ChipRun::ReadToFile(uint32_t size) {
  std::vector<uint8_t> bytes(size, 0xFF);
  const OperationResult r = session_->ReadTwice(size, bytes.data(), sink_);
  const int code = Ended(r.outcome, r.port_failed, "read",
                         "no file written; the chip is unchanged");
  if (code != kExitOk) return code;  // nothing half read is saved
  const int verdict = Verdict(r, "", "", "");
  if (verdict != kExitOk && !o_.force) {
    Summary() << "no file written (--force writes the first read)\n";
    return verdict;
  }
  if (ToStandardStreams()) {
    out_ << FormatImage(bytes, o_.format) << std::flush;
    if (!out_) return Fail(kExitBadUsage, "cannot write to standard output");
    return verdict;
  }
  const FilePath path = PathFromUtf8(o_.file);
  std::string error;
  if (SaveImageFile(path, o_.format, bytes, &error) != SaveResult::kSaved)
    return Fail(kExitBadUsage, "cannot write " + o_.file + ": " + error);
  if (!o_.quiet)
    out_ << Format("read %u bytes into %s\n", size, o_.file.c_str());
  // Raw bytes in a file whose name says no format are told by their
  // content when read back: those that read as text need --format raw.
  ChipImage back;
  ImageError ignored;
  if (o_.format == ImageFormat::kAuto &&
      ImageFormatOfName(path) == ImageFormat::kAuto &&
      (ParseImage(FormatImage(bytes, ImageFormat::kRaw), path,
                  ImageFormat::kAuto, size, &back, &ignored) !=
           ImageLoadResult::kLoaded ||
       back.bytes != bytes)) {
    *env_.err << "tarnwick: note: " << o_.file << " reads as text: give "
              << "--format raw to write or verify it (or name it .bin)\n";
  }
  return verdict;
}

// blank-check, or erase and then check that it worked.
int ChipRun::CheckBlank(uint32_t size) {
  const bool erase = o_.command == "erase";
  if (erase) {
    const OperationResult r = session_->Erase(sink_);
    const int code = Ended(r.outcome, r.port_failed, nullptr, kUnchanged);
    if (code != kExitOk) return code;
  }
  const OperationResult r = session_->BlankCheck(size, sink_);
  const int code =
      Ended(r.outcome, r.port_failed, o_.command.c_str(),
            erase ? "the chip is erased, but was not all checked"
                  : kUnchanged);
  if (code != kExitOk) return code;
  if (!erase) {
    return Verdict(r, Format("blank-check: %u bytes checked, %zu not blank\n",
                             size, r.failures.size()),
                   "want", "chip");
  }
  if (r.failures.empty() && r.unstable.empty()) {
    if (!o_.quiet) out_ << Format("erase: all %u bytes blank\n", size);
    return kExitOk;
  }
  return Verdict(r, Format("erase: %zu of %u bytes are not blank after the "
                           "erase\n",
                           r.failures.size(), size),
                 "want", "chip");
}

int ChipRun::VerifyWithFile() {
  const OperationResult r = session_->Verify(image_.bytes, sink_);
  const int code = Ended(r.outcome, r.port_failed, "verify", kUnchanged);
  if (code != kExitOk) return code;
  return Verdict(r, Format("verify: %zu bytes compared, %zu differ\n",
                           image_.bytes.size(), r.failures.size()),
                 "file", "chip");
}

int ChipRun::WriteFromFile() {
  WriteOptions options;
  if (o_.no_erase) options.mode = WriteMode::kNoErase;
  const WriteReport report = session_->Write(
      image_.bytes, options, o_.log ? &log_ : nullptr, sink_);
  display_.Finish("write");
  OperationResult r;
  r.failures = report.failures;
  const int verdict = Verdict(
      r, Format("write: %u bytes programmed, %u skipped, %zu failed%s%s\n",
                report.programmed, report.skipped, report.failures.size(),
                report.not_reached == 0
                    ? ""
                    : Format(", %u not reached", report.not_reached).c_str(),
                report.erased ? " (the chip was erased first)" : ""),
      "wrote", "read back");
  // What a stop left on the chip.
  std::string chip = kUnchanged;
  if (report.outcome == Outcome::kStopped) {
    const bool programmed =
        report.programmed > 0 || !report.failures.empty();
    if (report.not_reached == 0) {
      chip = "every byte was programmed, but not all compared";
      Summary() << "write stopped while comparing: " << chip << "\n";
    } else if (programmed) {
      chip = "the chip is partly programmed";
      Summary() << Format("write stopped at address %04X: %u bytes "
                          "programmed, %u not reached; %s\n",
                          report.stopped_at, report.programmed,
                          report.not_reached, chip.c_str());
    } else if (report.erased) {
      chip = "the chip is erased";
      Summary() << "write stopped after the erase, before programming: "
                << chip << "\n";
    } else {
      Summary() << "write stopped before changing anything: " << chip << "\n";
    }
  }
  const int code =
      Ended(report.outcome, report.port_failed, nullptr, chip.c_str());
  return code != kExitOk ? code : verdict;
}

}  // namespace

int RunChipCommand(const CliOptions& options, CliEnv& env) {
  ChipRun run(options, env);
  return run.Go();
}
