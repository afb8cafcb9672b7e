#include "production/batch_run.h"

#include <cstring>

#include "base/format.h"
#include "image/checksum.h"

namespace {

// Passes a write's steps on, at most one per 1 % of a stage and always its
// last, every failure, and the run's stop request.
class BatchSink : public ProgressSink {
 public:
  BatchSink(BatchEvents& events, const std::function<bool()>& stop)
      : events_(events), stop_(stop) {}

  void OnProgress(const Progress& p) override {
    if (steps_.Take(p)) events_.OnProgress(p);
  }
  void OnFailure(const ByteFailure& failure) override {
    events_.OnFailure(failure);
  }
  bool StopRequested() override { return stop_(); }

 private:
  BatchEvents& events_;
  const std::function<bool()>& stop_;
  PercentSteps steps_;
};

double Seconds(uint64_t us) { return static_cast<double>(us) / 1e6; }

// One board's run, from its first chip to its summary.
class Run {
 public:
  Run(const BatchSetup& setup, ProgrammerSession& session, ChipSocket& socket,
      BatchEvents& events)
      : s_(setup), session_(session), socket_(socket), events_(events),
        image_(setup.image), part_(setup.part),
        start_us_(setup.clock->NowUs()) {}

  BatchSummary Go();

 private:
  // Settles the run's part from its first chip; false when the image or
  // serial area does not fit it.
  bool SettlePartOf(const SocketChip& chip);
  // Handles the chip `number`; false, with the summary's end set, when
  // the run must end.
  bool OneChip(uint32_t number, const SocketChip& chip, uint64_t seen_us);
  // Writes the chip's record and tells its result; false, with the end
  // set, when the record could not be written.
  bool Record(ChipResult& result);
  bool End(BatchEnd end, const std::string& why) {
    summary_.end = end;
    summary_.why = why;
    return false;
  }
  bool EndOnWait(SocketWait wait);

  const BatchSetup& s_;
  ProgrammerSession& session_;
  ChipSocket& socket_;
  BatchEvents& events_;
  ChipImage image_;
  const Part* part_;
  bool image_fitted_ = false;
  BatchSummary summary_;
  const uint64_t start_us_;
  uint64_t first_seen_us_ = 0;
  uint64_t last_result_us_ = 0;
};

bool Run::EndOnWait(SocketWait wait) {
  switch (wait) {
    case SocketWait::kStopped:
      return End(BatchEnd::kStopped, "stopped");
    case SocketWait::kOperatorEnded:
      return End(BatchEnd::kOperatorEnded, "the operator ended the run");
    case SocketWait::kPortFailed:
      return End(BatchEnd::kPortFailed,
                 "the port-access library refused the ports");
    default:
      return true;
  }
}

BatchSummary Run::Go() {
  for (uint32_t number = 1;; ++number) {
    if (s_.count != 0 && summary_.counts.passed >= s_.count) {
      End(BatchEnd::kCounted, Format("%u chip%s passed", s_.count,
                                     s_.count == 1 ? "" : "s"));
      break;
    }
    if (s_.stop()) {
      End(BatchEnd::kStopped, "stopped");
      break;
    }
    SocketChip chip;
    if (!EndOnWait(socket_.WaitForChip(&chip))) break;
    const uint64_t seen_us = s_.clock->NowUs();
    if (number == 1) first_seen_us_ = seen_us;
    events_.OnChipInserted({number, chip});
    if (!OneChip(number, chip, seen_us)) break;
    // The count ends the run at the top, the last chip left in.
    if (s_.count != 0 && summary_.counts.passed >= s_.count) continue;
    const SocketWait gone = socket_.WaitForEmpty();
    if (!EndOnWait(gone)) break;
    if (gone == SocketWait::kDone) events_.OnChipRemoved({number, chip});
  }
  const BatchCounts& c = summary_.counts;
  const uint32_t programmed = c.passed + c.failed;
  summary_.yield = programmed == 0 ? 0 : double(c.passed) / programmed;
  const double busy = Seconds(last_result_us_ - first_seen_us_);
  summary_.chips_per_hour =
      programmed == 0 || busy <= 0 ? 0 : programmed * 3600.0 / busy;
  if (s_.serials != nullptr) summary_.next_serial = s_.serials->FileNext();
  summary_.seconds = Seconds(s_.clock->NowUs() - start_us_);
  events_.OnSummary(summary_);
  return summary_;
}

bool Run::SettlePartOf(const SocketChip& chip) {
  if (part_ == nullptr) part_ = chip.part;
  if (image_fitted_) return true;
  ImageError error;
  if (!FitImageToChip(&image_, part_->size, part_->name, &error)) {
    return End(BatchEnd::kRefused,
               Format("the image does not fit the first chip, an %s: ",
                      part_->name) +
                   (error.line > 0 ? Format("line %d: ", error.line) : "") +
                   error.what);
  }
  std::string why;
  if (s_.serial && !CheckSerialArea(*s_.serial, image_.bytes, part_->size,
                                    &why))
    return End(BatchEnd::kRefused, why);
  image_fitted_ = true;
  return true;
}

bool Run::OneChip(uint32_t number, const SocketChip& chip, uint64_t seen_us) {
  if (!SettlePartOf(chip)) return false;
  ChipResult result;
  result.chip = number;
  result.seen = chip;
  if (std::strcmp(chip.part->name, part_->name) != 0) {
    result.verdict = ChipVerdict::kWrongPart;
    ++summary_.counts.wrong_part;
    result.seconds = Seconds(s_.clock->NowUs() - seen_us);
    return Record(result);
  }
  std::vector<uint8_t> bytes = image_.bytes;
  if (s_.serial) {
    uint64_t serial = 0;
    std::string why;
    const TakeResult taken = s_.serials->Take(&serial, &why);
    if (taken == TakeResult::kUsedUp) return End(BatchEnd::kSerialsUsedUp, why);
    if (taken != TakeResult::kTaken) return End(BatchEnd::kNotRecorded, why);
    result.serial = serial;
    PutSerial(*s_.serial, serial, &bytes);
  }
  std::vector<uint8_t> chip_image = bytes;
  chip_image.resize(part_->size, 0xFF);
  result.sums = ImageSums{Sum16(chip_image.data(), chip_image.size()),
                          Crc32(chip_image.data(), chip_image.size())};

  BatchSink sink(events_, s_.stop);
  const uint64_t write_us = s_.clock->NowUs();
  result.write = session_.Write(bytes, s_.write, nullptr, sink);
  const uint64_t done_us = s_.clock->NowUs();
  result.write_seconds = Seconds(done_us - write_us);
  result.seconds = Seconds(done_us - seen_us);
  if (result.write.outcome == Outcome::kStopped) {
    result.verdict = ChipVerdict::kStopped;
    ++summary_.counts.stopped;
  } else if (result.write.failures.empty() && !result.write.port_failed) {
    result.verdict = ChipVerdict::kPass;
    ++summary_.counts.passed;
  } else {
    result.verdict = ChipVerdict::kFail;
    ++summary_.counts.failed;
  }
  if (result.serial && result.verdict != ChipVerdict::kPass)
    s_.serials->Failed(*result.serial);
  last_result_us_ = done_us;
  if (!Record(result)) return false;
  if (result.verdict == ChipVerdict::kStopped)
    return End(BatchEnd::kStopped, Format("stopped during chip %u", number));
  if (result.write.port_failed)
    return End(BatchEnd::kPortFailed,
               "the port-access library refused the ports");
  return true;
}

bool Run::Record(ChipResult& result) {
  result.counts = summary_.counts;
  std::string why;
  bool recorded = true;
  if (s_.journal != nullptr) {
    JournalRecord r;
    r.time = s_.time_text();
    r.board = s_.board;
    r.chip = result.chip;
    r.signature = result.seen.signature;
    r.part = result.seen.part->name;
    r.serial = result.serial;
    if (result.sums) r.crc32 = result.sums->crc32;
    r.result = ChipVerdictWord(result.verdict);
    r.programmed = result.write.programmed;
    r.failed = static_cast<uint32_t>(result.write.failures.size());
    if (!result.write.failures.empty())
      r.first_failure = result.write.failures.front().address;
    r.seconds = result.seconds;
    recorded = s_.journal->Append(r, &why);
  }
  events_.OnResult(result);
  if (!recorded)
    return End(BatchEnd::kNotRecorded,
               Format("chip %u has no journal line: ", result.chip) + why);
  return true;
}

}  // namespace

const char* ChipVerdictWord(ChipVerdict verdict) {
  switch (verdict) {
    case ChipVerdict::kPass:
      return "pass";
    case ChipVerdict::kFail:
      return "fail";
    case ChipVerdict::kWrongPart:
      return "wrong-part";
    default:
      return "stopped";
  }
}

bool CheckBatch(const BatchSetup& setup, std::string* why) {
  if (!setup.serial) return true;
  if (setup.serials == nullptr) {
    *why = "serial numbers need a serial file";
    return false;
  }
  return CheckSerialArea(
      *setup.serial, setup.image.bytes,
      setup.part != nullptr ? setup.part->size : LargestPartSize(), why);
}

BatchSummary RunBatch(const BatchSetup& setup, ProgrammerSession& session,
                      ChipSocket& socket, BatchEvents& events) {
  return Run(setup, session, socket, events).Go();
}
