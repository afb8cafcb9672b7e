#include "cli/chip_run.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "base/format.h"
#include "chip/failure_analysis.h"
#include "chip/parts.h"
#include "cli/board_access.h"
#include "cli/board_check.h"
#include "cli/failure_words.h"
#include "cli/image_input.h"
#include "cli/progress_display.h"
#include "cli/run_files.h"
#include "image/checksum.h"
#include "image/image_file.h"
#include "session/programmer_session.h"
#include "sim/board_files.h"

namespace {

constexpr char kRefusedPorts[] = "the port-access library refused the ports";
constexpr char kCheckTheBoard[] =
    "the data lines are not stable: check the board's wiring and power";
constexpr char kUnchanged[] = "the chip is unchanged";

std::string SignatureBytes(const Signature& s) {
  return Format("%02X %02X %02X", unsigned{s.at30}, unsigned{s.at31},
                unsigned{s.at32});
}

// The signature as `signature` and `selftest` take it: what it names, if
// anything.
const char* SignatureVerdict(const Signature& s) {
  if (NoChipAnswers(s)) return "no-chip";
  return PartBySignature(s) != nullptr ? "found" : "unknown";
}

// "chip image: SUM16 1A2B, CRC-32 0DF1A2B3", ended.
std::string SumsLine(const ImageChecksums& sums) {
  return "chip image: SUM16 " + Sum16Text(sums.sum16) + ", CRC-32 " +
         Crc32Text(sums.crc32) + "\n";
}

const char* OutcomeWord(Outcome outcome, bool failed) {
  return outcome == Outcome::kStopped ? "stopped" : failed ? "fail" : "pass";
}

// Every step to the display and, with --json, at most one per 1 % as an
// event; every failure as an event; and a stop when a signal asked for one.
class CliSink : public ProgressSink {
 public:
  CliSink(ProgressDisplay* display, RunReport* report,
          const std::atomic<bool>* interrupted)
      : display_(display), report_(report), interrupted_(interrupted) {}

  void OnProgress(const Progress& progress) override {
    display_->Update(progress);
    if (report_->json() && steps_.Take(progress))
      report_->Event("progress", ProgressFields(progress));
  }
  void OnFailure(const ByteFailure& failure) override {
    report_->Event("failure", FailureFields(failure));
  }
  bool StopRequested() override {
    return interrupted_ != nullptr && interrupted_->load();
  }

 private:
  ProgressDisplay* display_;
  RunReport* report_;
  const std::atomic<bool>* interrupted_;
  PercentSteps steps_;
};

// One run of a chip command, from its files to its exit code.
class ChipRun {
 public:
  ChipRun(const CliOptions& options, CliEnv& env, RunReport& report)
      : o_(options),
        env_(env),
        report_(report),
        board_(options, env, report),
        display_(report.Err(), env.clock, env.err_is_terminal,
                 options.quiet),
        sink_(&display_, &report, env.interrupted) {}

  int Go() {
    int code = board_.ResolvePorts();
    if (code == kExitOk) code = CheckFiles();
    if (code == kExitOk) code = board_.Open(false, NamedFiles());
    if (code == kExitOk) code = Operate();
    return board_.Release(code);
  }

 private:
  int Fail(int code, const char* word, const std::string& what) {
    return report_.Error(code, word, what);
  }
  bool ToStandardStreams() const { return o_.file == "-"; }
  // Summaries go to standard error when standard output carries the image
  // `read` writes, or the events.
  std::ostream& Summary() {
    return o_.command == "read" && ToStandardStreams() ? report_.Err()
                                                       : report_.Out();
  }
  double Seconds() const {
    return static_cast<double>(env_.clock->NowUs() - start_us_) / 1e6;
  }
  int CheckFiles();
  std::vector<NamedFile> NamedFiles() const;
  int LoadImage();
  int StartOutputs();
  int Operate();
  int ShowSignature(const Signature& signature, bool unstable);
  int ReadToFile(uint32_t size);
  int CheckBlank(uint32_t size);
  int VerifyWithFile();
  int WriteFromFile();
  int Ended(Outcome outcome, bool port_failed, const char* command,
            const char* chip);
  // Fills the result's counts, failures and what they point at, tells it,
  // and returns the analysis.
  FailureAnalysis TellResult(const OperationResult& r, EventFields result);
  int Verdict(const OperationResult& r, const FailureAnalysis& analysis,
              const std::string& summary, const char* expected_word,
              const char* actual_word);
  void List(const std::vector<ByteFailure>& failures, const char* expected,
            const char* actual);

  const CliOptions& o_;
  CliEnv& env_;
  RunReport& report_;
  BoardAccess board_;
  ProgressDisplay display_;
  CliSink sink_;
  ImageInput input_;
  uint32_t part_size_ = 0;
  uint64_t start_us_ = 0;  // of the operation
  BadBlockLog log_;
};

// The files this run names, and which of them it writes; a simulated
// board's own files are written by the board.
std::vector<NamedFile> ChipRun::NamedFiles() const {
  return RunFiles(o_.file, o_.command == "read",
                  {{"--log", o_.log, true},
                   {"--trace", o_.trace, true},
                   {"--config", o_.config, false}},
                  o_.sim_dir);
}

// Everything that can be refused about files is refused here, before any
// port is touched and before anything is written: no file named twice, the
// outputs writable, the image sound, the simulated board's folder usable.
int ChipRun::CheckFiles() {
  if (o_.command == "read" && ToStandardStreams() && env_.out_is_terminal &&
      o_.format != ImageFormat::kIntelHex &&
      o_.format != ImageFormat::kSRecord) {
    return Fail(kExitBadUsage, "usage",
                "read -: standard output is a terminal; give --format ihex "
                "or --format srec, or send it to a file or a pipe");
  }
  std::string why;
  if (!EachFileItsOwn(NamedFiles(), &why))
    return Fail(kExitBadUsage, "file", why);
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
      return Fail(kExitBadUsage, "file",
                  "cannot write " + std::string(output.option) + output.path +
                      ": " + why);
    }
  }
  const int code = LoadImage();
  if (code != kExitOk) return code;
  if (o_.sim_dir && !PrepareBoardFolder(PathFromUtf8(*o_.sim_dir), &why))
    return Fail(kExitBadUsage, "file", "--sim: " + why);
  return kExitOk;
}

// The image, for the part in the socket once its signature is read.
int ChipRun::LoadImage() {
  if (o_.command != "write" && o_.command != "verify") return kExitOk;
  std::vector<const Part*> parts;
  return LoadImageForChips(o_, env_, report_, &input_, &parts);
}

// Every refusal passed: the trace goes to its file from here on, the lines
// of the signature's reads first, and the log is made.
int ChipRun::StartOutputs() {
  board_.StartTrace();
  if (o_.log && !log_.Create(PathFromUtf8(*o_.log)))
    return Fail(kExitBadUsage, "file", "cannot create the log " + *o_.log);
  start_us_ = env_.clock->NowUs();
  return kExitOk;
}

// The exit code of an operation that ended without its own verdict, after
// ending the display for `command` (when given). A stop says what became
// of the chip.
int ChipRun::Ended(Outcome outcome, bool port_failed, const char* command,
                   const char* chip) {
  if (command != nullptr) display_.Finish(command);
  if (port_failed) return Fail(kExitNoAccess, "no-access", kRefusedPorts);
  if (outcome == Outcome::kStopped) {
    return Fail(kExitInterrupted, "interrupted",
                std::string("interrupted; stopped at the next address: ") +
                    chip);
  }
  return kExitOk;
}

void ChipRun::List(const std::vector<ByteFailure>& failures,
                   const char* expected, const char* actual) {
  Summary() << ListFailures(failures, expected, actual);
}

FailureAnalysis ChipRun::TellResult(const OperationResult& r,
                                    EventFields result) {
  // What the failures point at, over the bytes wanted: the file's, or FF
  // for a blank check.
  const bool file = o_.command == "write" || o_.command == "verify";
  const FailureAnalysis analysis =
      r.failures.empty()
          ? FailureAnalysis()
          : AnalyseFailures(r.failures,
                            file ? input_.image.bytes
                                 : std::vector<uint8_t>(r.handled, 0xFF));
  AddFailures(r.failures, analysis, &result);
  result["seconds"] = Millis(Seconds());
  report_.Event("result", result);
  return analysis;
}

// Prints `summary` (unless quiet and all is well) with the first failures,
// what they point at and the addresses whose two reads differed, and
// returns the exit code they mean.
int ChipRun::Verdict(const OperationResult& r, const FailureAnalysis& analysis,
                     const std::string& summary, const char* expected_word,
                     const char* actual_word) {
  if (!o_.quiet || !r.failures.empty()) {
    Summary() << summary;
    List(r.failures, expected_word, actual_word);
    Summary() << DescribeFailures(analysis);
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
  const Signature signature =
      board_.session().ReadSignature(&refused, &unstable);
  if (refused) return Fail(kExitNoAccess, "no-access", kRefusedPorts);
  const std::string& command = o_.command;
  if (command == "signature" || command == "selftest") {
    const Part* part = PartBySignature(signature);
    report_.Event("signature",
                  SignatureFields(signature, part ? part->name : nullptr,
                                  part ? part->size : 0,
                                  SignatureVerdict(signature)));
    const int code = StartOutputs();
    if (code != kExitOk) return code;
    return command == "signature"
               ? ShowSignature(signature, unstable)
               : RunSelfTest(board_.session(), signature, unstable, o_, env_,
                             report_);
  }
  const PartChoice part =
      SettlePart(signature, o_.part.value_or(""), o_.force,
                 command == "write" || command == "erase");
  const Part* found = PartBySignature(signature);
  {
    const char* const verdicts[] = {"named", "found", "assumed", "no-chip",
                                    "unknown", "found"};
    const bool contradicted = part.verdict == PartVerdict::kContradicted;
    report_.Event("signature",
                  SignatureFields(signature,
                                  contradicted ? found->name : part.name,
                                  contradicted ? found->size : part.size,
                                  verdicts[static_cast<int>(part.verdict)]));
  }
  if (unstable && !o_.force) {
    return Fail(kExitChipFailed, "unstable",
                "the signature read differently twice: " +
                    std::string(kCheckTheBoard) +
                    " (--force goes on regardless)");
  }
  switch (part.verdict) {
    case PartVerdict::kNoChip:
      return Fail(kExitNoAccess, "no-chip",
                  "no chip answers (the signature reads " +
                      SignatureBytes(signature) +
                      "): check the chip, the board and its ports; --force "
                      "goes on regardless");
    case PartVerdict::kUnknown:
      return Fail(kExitNoAccess, "unknown-part",
                  "unknown signature " + SignatureBytes(signature) +
                      ": name the part with --part 89c51 or --part 89c52, "
                      "or go on with --force");
    case PartVerdict::kContradicted:
      return Fail(kExitNoAccess, "wrong-part",
                  "--part " + *o_.part + ", but the signature " +
                      SignatureBytes(signature) + " names an " + found->name +
                      ": check the chip in the socket, or go on with "
                      "--force");
    case PartVerdict::kAssumed:
      if (!o_.quiet) {
        report_.Warning("unknown-part",
                        "signature " + SignatureBytes(signature) +
                            " names no known part; taking a 4 KB " +
                            part.name + " (--part names another)");
      }
      break;
    case PartVerdict::kNamed:
      if (found != nullptr && found->size != part.size) {
        report_.Warning("wrong-part", "--part " + *o_.part +
                                          ", but the signature " +
                                          SignatureBytes(signature) +
                                          " names an " + found->name);
      }
      break;
    default:
      break;
  }
  part_size_ = part.size;
  if (command == "write" || command == "verify") {
    ImageError error;
    if (!FitImageToChip(&input_.image, part.size, part.name, &error))
      return ImageFault(report_, input_.name, error);
    if (o_.expect_sum || o_.expect_crc) {
      std::vector<const Part*> matching;
      const int code = MatchExpectedSums(o_, input_, {PartByName(part.name)},
                                         report_, &matching);
      if (code != kExitOk) return code;
    }
    report_.Event("image", ImageFields(o_.file, input_.format,
                                       ChecksumsOf(input_.image, part.size)));
  }
  const int code = StartOutputs();
  if (code != kExitOk) return code;
  if (command == "read") return ReadToFile(part.size);
  if (command == "blank-check" || command == "erase")
    return CheckBlank(part.size);
  return command == "verify" ? VerifyWithFile() : WriteFromFile();
}

int ChipRun::ShowSignature(const Signature& s, bool unstable) {
  report_.Out() << Format("30H=%X,\t31H=%X,\t32H=%X\n", unsigned{s.at30},
                          unsigned{s.at31}, unsigned{s.at32});
  if (unstable) {
    return Fail(kExitChipFailed, "unstable",
                "the signature read differently twice: " +
                    std::string(kCheckTheBoard));
  }
  if (NoChipAnswers(s))
    return Fail(kExitNoAccess, "no-chip", "no chip answers");
  const Part* part = PartBySignature(s);
  if (part == nullptr) {
    report_.Out() << "unknown signature: no part of the table\n";
  } else {
    report_.Out() << Format("%s: %u KB of flash, programmed at %s\n",
                            part->name, part->size / 1024, part->voltage);
  }
  return kExitOk;
}

int ChipRun::ReadToFile(uint32_t size) {
  std::vector<uint8_t> bytes(size, 0xFF);
  const OperationResult r =
      board_.session().ReadTwice(size, bytes.data(), sink_);
  const bool unstable = !r.unstable.empty();
  const bool saved = r.outcome == Outcome::kDone && !r.port_failed &&
                     (!unstable || o_.force);
  ChipImage read;
  read.bytes = bytes;
  const ImageChecksums sums = ChecksumsOf(read, size);
  EventFields result = {{"command", "read"},
                        {"outcome", OutcomeWord(r.outcome,
                                                unstable || r.port_failed)},
                        {"unstable", r.unstable.size()}};
  if (r.outcome == Outcome::kDone) {
    result["sum16"] = Sum16Text(sums.sum16);
    result["crc32"] = Crc32Text(sums.crc32);
  }
  if (saved) result["file"] = o_.file;
  const FailureAnalysis analysis = TellResult(r, result);
  const int code = Ended(r.outcome, r.port_failed, "read",
                         "no file written; the chip is unchanged");
  if (code != kExitOk) return code;  // nothing half read is saved
  const int verdict = Verdict(r, analysis, "", "", "");
  if (!saved) {
    Summary() << "no file written (--force writes the first read)\n";
    return verdict;
  }
  if (ToStandardStreams()) {
    *env_.out << FormatImage(bytes, o_.format) << std::flush;
    if (!*env_.out)
      return Fail(kExitBadUsage, "file", "cannot write to standard output");
    if (!o_.quiet) Summary() << SumsLine(sums);
    return verdict;
  }
  const FilePath path = PathFromUtf8(o_.file);
  std::string error;
  if (SaveImageFile(path, o_.format, bytes, &error) != SaveResult::kSaved)
    return Fail(kExitBadUsage, "file",
                "cannot write " + o_.file + ": " + error);
  if (!o_.quiet) {
    Summary() << Format("read %u bytes into %s\n", size, o_.file.c_str())
              << SumsLine(sums);
  }
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
    report_.Warning("reads-as-text",
                    o_.file + " reads as text: give --format raw to write "
                              "or verify it (or name it .bin)");
  }
  return verdict;
}

// blank-check, or erase and then check that it worked.
int ChipRun::CheckBlank(uint32_t size) {
  const bool erase = o_.command == "erase";
  EventFields result = {{"command", o_.command}, {"outcome", "pass"}};
  if (erase) {
    const OperationResult r = board_.session().Erase(sink_);
    if (r.outcome == Outcome::kStopped || r.port_failed) {
      result["outcome"] = OutcomeWord(r.outcome, true);
      result["chip_state"] = "unchanged";
      TellResult(r, result);
      return Ended(r.outcome, r.port_failed, nullptr, kUnchanged);
    }
    result["chip_state"] = "erased";
  }
  const OperationResult r = board_.session().BlankCheck(size, sink_);
  result["outcome"] = OutcomeWord(
      r.outcome,
      !r.failures.empty() || !r.unstable.empty() || r.port_failed);
  result["compared"] = r.handled;
  result["differ"] = r.failures.size();
  result["unstable"] = r.unstable.size();
  const FailureAnalysis analysis = TellResult(r, result);
  const int code =
      Ended(r.outcome, r.port_failed, o_.command.c_str(),
            erase ? "the chip is erased, but was not all checked"
                  : kUnchanged);
  if (code != kExitOk) return code;
  if (!erase) {
    return Verdict(r, analysis,
                   Format("blank-check: %u bytes checked, %zu not blank\n",
                          size, r.failures.size()),
                   "want", "chip");
  }
  if (r.failures.empty() && r.unstable.empty()) {
    if (!o_.quiet) report_.Out() << Format("erase: all %u bytes blank\n", size);
    return kExitOk;
  }
  return Verdict(r, analysis,
                 Format("erase: %zu of %u bytes are not blank after the "
                        "erase\n",
                        r.failures.size(), size),
                 "want", "chip");
}

int ChipRun::VerifyWithFile() {
  const OperationResult r = board_.session().Verify(input_.image.bytes, sink_);
  const ImageChecksums sums = ChecksumsOf(input_.image, part_size_);
  const FailureAnalysis analysis = TellResult(
      r, {{"command", "verify"},
          {"outcome",
           OutcomeWord(r.outcome, !r.failures.empty() || !r.unstable.empty() ||
                                      r.port_failed)},
          {"compared", r.handled},
          {"differ", r.failures.size()},
          {"unstable", r.unstable.size()},
          {"sum16", Sum16Text(sums.sum16)},
          {"crc32", Crc32Text(sums.crc32)}});
  const int code = Ended(r.outcome, r.port_failed, "verify", kUnchanged);
  if (code != kExitOk) return code;
  return Verdict(r, analysis,
                 Format("verify: %zu bytes compared, %zu differ\n",
                        input_.image.bytes.size(), r.failures.size()) +
                     SumsLine(sums),
                 "file", "chip");
}

int ChipRun::WriteFromFile() {
  WriteOptions options;
  if (o_.no_erase) options.mode = WriteMode::kNoErase;
  const WriteReport report = board_.session().Write(
      input_.image.bytes, options, o_.log ? &log_ : nullptr, sink_);
  display_.Finish("write");
  const ChipState state = StateAfterWrite(report);
  const ImageChecksums sums = ChecksumsOf(input_.image, part_size_);
  OperationResult r;
  r.failures = report.failures;
  const FailureAnalysis analysis = TellResult(
      r, {{"command", "write"},
          {"outcome", OutcomeWord(report.outcome, !report.failures.empty() ||
                                                      report.port_failed)},
          {"chip_state", ChipStateWord(state)},
          {"programmed", report.programmed},
          {"skipped", report.skipped},
          {"failed", report.failures.size()},
          {"not_reached", report.not_reached},
          {"erased", report.erased},
          {"sum16", Sum16Text(sums.sum16)},
          {"crc32", Crc32Text(sums.crc32)}});
  const int verdict = Verdict(
      r, analysis,
      Format("write: %u bytes programmed, %u skipped, %zu failed%s%s\n",
             report.programmed, report.skipped, report.failures.size(),
             report.not_reached == 0
                 ? ""
                 : Format(", %u not reached", report.not_reached).c_str(),
             report.erased ? " (the chip was erased first)" : "") +
          SumsLine(sums),
      "wrote", "read back");
  // What a stop left on the chip.
  const std::string chip = ChipStatePhrase(state);
  if (report.outcome == Outcome::kStopped) {
    switch (state) {
      case ChipState::kProgrammed:
        Summary() << "write stopped while comparing: " << chip << "\n";
        break;
      case ChipState::kPartlyProgrammed:
        Summary() << Format("write stopped at address %04X: %u bytes "
                            "programmed, %u not reached; %s\n",
                            report.stopped_at, report.programmed,
                            report.not_reached, chip.c_str());
        break;
      case ChipState::kErased:
        Summary() << "write stopped after the erase, before programming: "
                  << chip << "\n";
        break;
      case ChipState::kUnchanged:
        Summary() << "write stopped before changing anything: " << chip
                  << "\n";
        break;
    }
  }
  const int code =
      Ended(report.outcome, report.port_failed, nullptr, chip.c_str());
  return code != kExitOk ? code : verdict;
}

}  // namespace

ChipState StateAfterWrite(const WriteReport& report) {
  if (report.outcome != Outcome::kStopped || report.not_reached == 0)
    return ChipState::kProgrammed;
  if (report.programmed > 0 || !report.failures.empty())
    return ChipState::kPartlyProgrammed;
  return report.erased ? ChipState::kErased : ChipState::kUnchanged;
}

const char* ChipStateWord(ChipState state) {
  switch (state) {
    case ChipState::kUnchanged:
      return "unchanged";
    case ChipState::kErased:
      return "erased";
    case ChipState::kPartlyProgrammed:
      return "partly-programmed";
    default:
      return "programmed";
  }
}

const char* ChipStatePhrase(ChipState state) {
  switch (state) {
    case ChipState::kUnchanged:
      return kUnchanged;
    case ChipState::kErased:
      return "the chip is erased";
    case ChipState::kPartlyProgrammed:
      return "the chip is partly programmed";
    default:
      return "every byte was programmed, but not all compared";
  }
}

int RunChipCommand(const CliOptions& options, CliEnv& env, RunReport& report) {
  ChipRun run(options, env, report);
  return run.Go();
}
