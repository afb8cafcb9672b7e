#include "cli/batch_report.h"

#include "base/format.h"
#include "chip/failure_analysis.h"
#include "cli/chip_run.h"
#include "cli/failure_words.h"
#include "image/checksum.h"
#include "production/chip_socket.h"

namespace {

EventFields SignatureArray(const Signature& s) {
  return {s.at30, s.at31, s.at32};
}

}  // namespace

BatchReport::BatchReport(const CliOptions& options, CliEnv& env,
                         RunReport& report, const ImageInput& input,
                         const Part* part, std::string board)
    : o_(options),
      env_(env),
      report_(report),
      input_(input),
      part_(part),
      board_(std::move(board)) {}

std::ostream& BatchReport::Line() {
  std::ostream& out = report_.Out();
  if (!board_.empty()) out << board_ << ": ";
  return out;
}

void BatchReport::Begin() {
  if (part_ != nullptr) TellImage(part_);
  Waiting();
}

void BatchReport::TellImage(const Part* part) {
  ChipImage fitted = input_.image;
  ImageError error;
  if (image_told_ || !FitImageToChip(&fitted, part->size, part->name, &error))
    return;
  image_told_ = true;
  const ImageChecksums sums = ChecksumsOf(fitted, part->size);
  EventFields image = ImageFields(o_.file, input_.format, sums);
  image["part"] = part->name;
  Event("image", image);
  if (o_.quiet) return;
  Line() << Format(
      "batch: %s onto %s chips: chip image SUM16 %s, CRC-32 "
      "%s%s\n",
      input_.name.c_str(), part->name, Sum16Text(sums.sum16).c_str(),
      Crc32Text(sums.crc32).c_str(),
      o_.serial ? " before its serial number" : "");
}

void BatchReport::Waiting() {
  if (o_.prompt || o_.quiet || !env_.err_is_terminal) return;
  report_.Err() << Format(
      "tarnwick: waiting for chip %u in the socket "
      "(Ctrl-C ends the run)\n",
      next_chip_);
}

std::string BatchReport::Prompt() const {
  return Format(
      "chip %u: put it in the socket and press Enter (the end of "
      "input ends the run)",
      next_chip_);
}

void BatchReport::OnChipInserted(const ChipEvent& chip) {
  next_chip_ = chip.chip + 1;
  TellImage(part_ != nullptr ? part_ : chip.seen.part);
  Event("chip", {{"state", "inserted"},
                 {"chip", chip.chip},
                 {"signature", SignatureArray(chip.seen.signature)},
                 {"part", chip.seen.part->name}});
  display_.emplace(report_.Err(), env_.clock, env_.err_is_terminal, o_.quiet);
}

void BatchReport::OnChipRemoved(const ChipEvent& chip) {
  Event("chip", {{"state", "removed"},
                 {"chip", chip.chip},
                 {"signature", SignatureArray(chip.seen.signature)},
                 {"part", chip.seen.part->name}});
  Waiting();
}

void BatchReport::OnProgress(const Progress& step) {
  if (display_) display_->Update(step);
  Event("progress", ProgressFields(step));
}

void BatchReport::OnFailure(const ByteFailure& failure) {
  Event("failure", FailureFields(failure));
}

void BatchReport::OnResult(const ChipResult& r) {
  // On a terminal the bar's line ends; elsewhere the lasting line says it.
  if (display_ && env_.err_is_terminal) display_->Finish("batch");
  display_.reset();
  const bool wrong = r.verdict == ChipVerdict::kWrongPart;
  const WriteReport& w = r.write;
  EventFields result = {
      {"command", "batch"},
      {"outcome", wrong ? "refused" : ChipVerdictWord(r.verdict)}};
  if (wrong) result["code"] = "wrong-part";
  result["chip"] = r.chip;
  result["serial"] = r.serial ? EventFields(*r.serial) : EventFields();
  result["part"] = r.seen.part->name;
  result["signature"] = SignatureArray(r.seen.signature);
  const ChipState state = StateAfterWrite(w);
  FailureAnalysis analysis;
  if (!wrong) {
    if (!w.failures.empty()) {
      // The bytes wanted: the image as the chip's part takes it, with the
      // chip's serial number.
      ChipImage wanted = input_.image;
      ImageError unused;
      FitImageToChip(&wanted, r.seen.part->size, r.seen.part->name, &unused);
      if (o_.serial && r.serial)
        PutSerial(*o_.serial, *r.serial, &wanted.bytes);
      analysis = AnalyseFailures(w.failures, wanted.bytes);
    }
    result["chip_state"] = ChipStateWord(state);
    result["programmed"] = w.programmed;
    result["skipped"] = w.skipped;
    result["failed"] = w.failures.size();
    result["not_reached"] = w.not_reached;
    result["erased"] = w.erased;
    if (r.sums) {
      result["sum16"] = Sum16Text(r.sums->sum16);
      result["crc32"] = Crc32Text(r.sums->crc32);
    }
    AddFailures(w.failures, analysis, &result);
  }
  result["seconds"] = Millis(r.seconds);
  Event("result", result);

  const BatchCounts& c = r.counts;
  std::string counts = Format("%u passed, %u failed", c.passed, c.failed);
  if (c.wrong_part != 0) counts += Format(", %u wrong part", c.wrong_part);
  const std::string serial =
      r.serial
          ? Format(" serial %llu", static_cast<unsigned long long>(*r.serial))
          : "";
  std::string line;
  switch (r.verdict) {
    case ChipVerdict::kPass:
    case ChipVerdict::kFail:
      line = Format("chip %u: %s%s (%.1f s)", r.chip,
                    r.verdict == ChipVerdict::kPass ? "PASS" : "FAIL",
                    serial.c_str(), r.seconds);
      break;
    case ChipVerdict::kWrongPart:
      line = Format("chip %u: WRONG PART, an %s (%s): not programmed", r.chip,
                    r.seen.part->name, SignatureText(r.seen.signature).c_str());
      break;
    case ChipVerdict::kStopped:
      line = Format("chip %u: STOPPED%s (%.1f s): %s", r.chip, serial.c_str(),
                    r.seconds, ChipStatePhrase(state));
      break;
  }
  if (!o_.quiet || r.verdict != ChipVerdict::kPass)
    Line() << line << " - " << counts << "\n";
  if (r.verdict == ChipVerdict::kFail) {
    report_.Out() << ListFailures(w.failures, "wrote", "read back")
                  << DescribeFailures(analysis);
  }
  if (!o_.no_bell && env_.err_is_terminal) report_.Err() << '\a' << std::flush;
}

void BatchReport::OnWarning(const std::string& code, const std::string& text) {
  report_.Err() << "tarnwick: " << (board_.empty() ? "" : board_ + ": ")
                << "warning: " << text << "\n";
  Event("warning", {{"text", text}, {"code", code}});
}

void BatchReport::OnSummary(const BatchSummary& s) {
  const BatchCounts& c = s.counts;
  const int chips = c.failed != 0 ? kExitChipFailed : kExitOk;
  const char* code = nullptr;
  switch (s.end) {
    case BatchEnd::kCounted:
    case BatchEnd::kOperatorEnded:
      exit_ = chips;
      break;
    case BatchEnd::kStopped:
      exit_ = kExitInterrupted;
      code = "interrupted";
      break;
    case BatchEnd::kSerialsUsedUp:
      exit_ = kExitBadUsage;
      code = "serials-used-up";
      break;
    case BatchEnd::kNotRecorded:
      exit_ = kExitBadUsage;
      code = "not-recorded";
      break;
    case BatchEnd::kPortFailed:
      exit_ = kExitNoAccess;
      code = "no-access";
      break;
    case BatchEnd::kRefused:
      exit_ = kExitBadUsage;
      code = "file";
      break;
  }
  if (code != nullptr) {
    const std::string why =
        s.end == BatchEnd::kStopped ? "interrupted; " + s.why : s.why;
    report_.Err() << "tarnwick: " << (board_.empty() ? "" : board_ + ": ")
                  << why << "\n";
    Event("error", {{"text", why}, {"exit", exit_}, {"code", code}});
  }
  EventFields& summary = report_.summary();
  summary["passed"] = c.passed;
  summary["failed"] = c.failed;
  summary["wrong_part"] = c.wrong_part;
  summary["stopped"] = c.stopped;
  summary["yield"] = s.yield;
  summary["chips_per_hour"] = s.chips_per_hour;
  summary["next_serial"] =
      s.next_serial ? EventFields(*s.next_serial) : EventFields();
  if (o_.quiet && exit_ == kExitOk) return;
  std::string line = Format("batch: %u passed, %u failed", c.passed, c.failed);
  if (c.wrong_part != 0) line += Format(", %u wrong part", c.wrong_part);
  if (c.stopped != 0) line += Format(", %u stopped", c.stopped);
  line += Format("; yield %.1f %%, %.0f chips an hour", s.yield * 100,
                 s.chips_per_hour);
  if (s.next_serial) {
    line += Format("; the next serial number is %llu",
                   static_cast<unsigned long long>(*s.next_serial));
  }
  Line() << line << "\n";
  if (code == nullptr) Line() << "batch ended: " << s.why << "\n";
}
