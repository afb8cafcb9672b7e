#include "cli/cli.h"

#include <algorithm>
#include <memory>

#include "base/format.h"
#include "chip/parts.h"
#include "cli/options.h"
#include "cli/progress_display.h"
#include "config/port_config.h"
#include "detect/hardware_scan.h"
#include "image/image_file.h"
#include "session/programmer_session.h"

namespace {

// Failing addresses listed in a summary; the rest are counted.
constexpr size_t kListedFailures = 10;

constexpr char kRefusedPorts[] = "the port-access library refused the ports";

std::string SignatureBytes(const Signature& s) {
  return Format("%02X %02X %02X", unsigned{s.at30}, unsigned{s.at31},
                unsigned{s.at32});
}

// Every step to the display, and a stop when Ctrl-C was pressed.
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
class Run {
 public:
  Run(const CliOptions& options, CliEnv& env)
      : o_(options),
        env_(env),
        out_(*env.out),
        display_(*env.err, env.clock, env.err_is_terminal, options.quiet),
        sink_(&display_, env.interrupted) {}

  int Go() {
    int code = LoadFiles();
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
  int LoadFiles();
  int ResolvePorts(BoardPorts* ports);
  int Open();
  int Operate();
  int Release(int code);
  int ImageFault(ImageLoadResult result, const ImageLoadError& error,
                 const std::string& too_large);
  int ShowSignature(const Signature& signature);
  int ReadToFile(uint32_t size);
  int CheckBlank(uint32_t size);
  int VerifyWithFile();
  int WriteFromFile();
  int Ended(Outcome outcome, bool port_failed, const char* command);
  int Verdict(const OperationResult& r, const std::string& summary,
              const char* expected_word, const char* actual_word);

  const CliOptions& o_;
  CliEnv& env_;
  std::ostream& out_;
  ProgressDisplay display_;
  CliSink sink_;
  ChipImage image_;
  BadBlockLog log_;
  std::unique_ptr<PortIo> real_port_;
  std::unique_ptr<ProgrammerSession> session_;
};

int Run::ImageFault(ImageLoadResult result, const ImageLoadError& error,
                    const std::string& too_large) {
  switch (result) {
    case ImageLoadResult::kLoaded:
      return kExitOk;
    case ImageLoadResult::kMalformed:
      return Fail(kExitBadUsage, Format("%s:%d: %s", o_.file.c_str(),
                                        error.line, error.what.c_str()));
    case ImageLoadResult::kTooLarge:
      return Fail(kExitBadUsage, o_.file + ": " + too_large);
    default:
      return Fail(kExitBadUsage, "cannot read " + o_.file + ": " + error.what);
  }
}

// Everything that can be refused about files is refused here, before any
// port is touched. An image is loaded for the largest part it may meet.
int Run::LoadFiles() {
  if (o_.command == "write" || o_.command == "verify") {
    const uint32_t limit =
        o_.part ? PartByName(*o_.part)->size : LargestPartSize();
    ImageLoadError error;
    const int code = ImageFault(
        LoadImageFile(PathFromUtf8(o_.file), limit, &image_, &error), error,
        Format("larger than the %u-byte chip", limit));
    if (code != kExitOk) return code;
  }
  if (o_.log && !log_.Create(PathFromUtf8(*o_.log)))
    return Fail(kExitBadUsage, "cannot create the log " + *o_.log);
  return kExitOk;
}

int Run::ResolvePorts(BoardPorts* ports) {
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

int Run::Open() {
  ProgrammerSession::Setup setup;
  setup.clock = env_.clock;
  if (o_.trace) setup.trace_file = PathFromUtf8(*o_.trace);
  const int code = ResolvePorts(&setup.ports);
  if (code != kExitOk) return code;
  std::string why;
  if (o_.sim_dir) {
    session_ = ProgrammerSession::Simulated(PathFromUtf8(*o_.sim_dir), setup,
                                            &why);
    if (session_ == nullptr) return Fail(kExitBadUsage, why);
  } else {
    if (env_.open_real_port) real_port_ = env_.open_real_port(&why);
    if (real_port_ == nullptr) return Fail(kExitNoAccess, why);
    session_ = std::make_unique<ProgrammerSession>(real_port_.get(), setup);
  }
  if (!session_->Open(&why)) {
    return Fail(kExitNoAccess,
                "port access was refused" + (why.empty() ? "" : ": " + why));
  }
  return kExitOk;
}

// Releases port access and saves a simulated board and the trace, whatever
// came before; a failure here turns success into exit code 2.
int Run::Release(int code) {
  if (session_ == nullptr) return code;
  for (const std::string& failure : session_->Close()) {
    Fail(kExitBadUsage, failure);
    if (code == kExitOk) code = kExitBadUsage;
  }
  return code;
}

// The exit code of an operation that ended without its own verdict, after
// ending the display for `command` (when given).
int Run::Ended(Outcome outcome, bool port_failed, const char* command) {
  if (command != nullptr) display_.Finish(command);
  if (port_failed) return Fail(kExitNoAccess, kRefusedPorts);
  if (outcome == Outcome::kStopped)
    return Fail(kExitInterrupted, "interrupted; stopped at the next address");
  return kExitOk;
}

// Prints `summary` (unless quiet and all is well) with the first failures,
// and returns the exit code they mean.
int Run::Verdict(const OperationResult& r, const std::string& summary,
                 const char* expected_word, const char* actual_word) {
  if (!o_.quiet || !r.failures.empty()) {
    out_ << summary;
    const size_t listed = std::min(r.failures.size(), kListedFailures);
    for (size_t n = 0; n < listed; ++n) {
      const ByteFailure& f = r.failures[n];
      out_ << Format("  %04X: %s %02X, %s %02X\n", f.address, expected_word,
                     unsigned{f.expected}, actual_word, unsigned{f.actual});
    }
    if (r.failures.size() > listed)
      out_ << Format("  ... and %zu more\n", r.failures.size() - listed);
  }
  return r.failures.empty() ? kExitOk : kExitChipFailed;
}

int Run::Operate() {
  bool refused = false;
  const Signature signature = session_->ReadSignature(&refused);
  if (refused) return Fail(kExitNoAccess, kRefusedPorts);
  const std::string& command = o_.command;
  if (command == "signature") return ShowSignature(signature);
  const PartChoice part =
      SettlePart(signature, o_.part.value_or(""), o_.force,
                 command == "write" || command == "erase");
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
    case PartVerdict::kAssumed:
      if (!o_.quiet) {
        *env_.err << "tarnwick: signature " << SignatureBytes(signature)
                  << " names no known part; taking a 4 KB 89C51 (--part "
                     "names another)\n";
      }
      break;
    default:
      break;
  }
  if (command == "read") return ReadToFile(part.size);
  if (command == "blank-check" || command == "erase")
    return CheckBlank(part.size);
  ImageLoadError error;
  const int code = ImageFault(
      FitImage(&image_, part.size, &error), error,
      Format("%u bytes do not fit the %u-byte chip",
             static_cast<unsigned>(image_.bytes.size()), part.size));
  if (code != kExitOk) return code;
  return command == "verify" ? VerifyWithFile() : WriteFromFile();
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

int Run::ReadToFile(uint32_t size) {
  std::vector<uint8_t> bytes(size, 0xFF);
  const OperationResult r = session_->Read(size, bytes.data(), sink_);
  const int code = Ended(r.outcome, r.port_failed, "read");
  if (code != kExitOk) return code;  // nothing half read is saved
  std::string error;
  if (SaveImageFile(PathFromUtf8(o_.file), bytes, &error) !=
      SaveResult::kSaved)
    return Fail(kExitBadUsage, "cannot write " + o_.file + ": " + error);
  if (!o_.quiet)
    out_ << Format("read %u bytes into %s\n", size, o_.file.c_str());
  return kExitOk;
}

// blank-check, or erase and then check that it worked.
int Run::CheckBlank(uint32_t size) {
  const bool erase = o_.command == "erase";
  if (erase) {
    const OperationResult r = session_->Erase(sink_);
    const int code = Ended(r.outcome, r.port_failed, nullptr);
    if (code != kExitOk) return code;
  }
  const OperationResult r = session_->BlankCheck(size, sink_);
  const int code = Ended(r.outcome, r.port_failed, o_.command.c_str());
  if (code != kExitOk) return code;
  if (!erase) {
    return Verdict(r, Format("blank-check: %u bytes checked, %zu not blank\n",
                             size, r.failures.size()),
                   "want", "chip");
  }
  if (r.failures.empty()) {
    if (!o_.quiet) out_ << Format("erase: all %u bytes blank\n", size);
    return kExitOk;
  }
  return Verdict(r, Format("erase: %zu of %u bytes are not blank after the "
                           "erase\n",
                           r.failures.size(), size),
                 "want", "chip");
}

int Run::VerifyWithFile() {
  const OperationResult r = session_->Verify(image_.bytes, sink_);
  const int code = Ended(r.outcome, r.port_failed, "verify");
  if (code != kExitOk) return code;
  return Verdict(r, Format("verify: %zu bytes compared, %zu differ\n",
                           image_.bytes.size(), r.failures.size()),
                 "file", "chip");
}

int Run::WriteFromFile() {
  WriteOptions options;
  if (o_.no_erase) options.mode = WriteMode::kNoErase;
  const WriteReport report = session_->Write(
      image_.bytes, options, o_.log ? &log_ : nullptr, sink_);
  display_.Finish("write");
  OperationResult r;
  r.failures = report.failures;
  const int verdict = Verdict(
      r, Format("write: %u bytes programmed, %u skipped, %zu failed%s\n",
                report.programmed, report.skipped, report.failures.size(),
                report.erased ? " (the chip was erased first)" : ""),
      "wrote", "read back");
  const int code = Ended(report.outcome, report.port_failed, nullptr);
  return code != kExitOk ? code : verdict;
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
