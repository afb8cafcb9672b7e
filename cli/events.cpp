#include "cli/events.h"

#include <cmath>

#include "cli/progress_display.h"

EventStream::EventStream(std::ostream& out, Clock* clock)
    : out_(out), clock_(clock), start_us_(clock->NowUs()) {}

void EventStream::Write(const char* name, const EventFields& fields,
                        const std::string& board) {
  std::lock_guard<std::mutex> hold(mutex_);
  EventFields event = {
      {"v", kEventsVersion},
      {"event", name},
      {"t", Millis(static_cast<double>(clock_->NowUs() - start_us_) / 1e6)}};
  if (!board.empty()) event["board"] = board;
  for (const auto& member : fields.items())
    event[member.key()] = member.value();
  out_ << event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
       << '\n'
       << std::flush;
}

EventFields ProgressFields(const Progress& p) {
  return {{"stage", StageWord(p.stage)},
          {"done", p.done},
          {"total", p.total},
          {"address", p.address}};
}

EventFields FailureFields(const ByteFailure& f) {
  return {{"stage", StageWord(f.stage)},
          {"address", f.address},
          {"expected", f.expected},
          {"actual", f.actual}};
}

EventFields ImageFields(const std::string& file, ImageFormat format,
                        const ImageChecksums& sums) {
  EventFields fields = {{"file", file},
                        {"format", FormatWord(format)},
                        {"bytes_given", sums.bytes_given}};
  if (sums.bytes_given > 0) {
    fields["first"] = sums.first;
    fields["last"] = sums.last;
  }
  fields["size"] = sums.chip_size;
  fields["sum16"] = Sum16Text(sums.sum16);
  fields["crc32"] = Crc32Text(sums.crc32);
  fields["file_sum16"] = Sum16Text(sums.file_sum16);
  return fields;
}

EventFields SignatureFields(const Signature& s, const char* part, uint32_t size,
                            const char* verdict) {
  return {{"bytes", {s.at30, s.at31, s.at32}},
          {"part", part != nullptr ? EventFields(part) : EventFields()},
          {"size", part != nullptr ? size : 0},
          {"verdict", verdict}};
}

void AddFailures(const std::vector<ByteFailure>& failures,
                 const FailureAnalysis& a, EventFields* result) {
  EventFields list = EventFields::array();
  for (size_t n = 0; n < failures.size() && n < kEventFailures; ++n) {
    list.push_back({{"address", failures[n].address},
                    {"expected", failures[n].expected},
                    {"actual", failures[n].actual}});
  }
  (*result)["failures"] = list;
  if (failures.empty()) return;
  auto line = [](const std::optional<int>& n) {
    return n ? EventFields(*n) : EventFields();
  };
  EventFields bits = {{"cleared", a.cleared_bits},
                      {"set", a.set_bits},
                      {"bit", line(a.data_bit)},
                      {"bit_failures", a.data_bit_failures},
                      {"address_line", line(a.address_line)}};
  if (a.swapped_with) bits["swapped_with"] = *a.swapped_with;
  (*result)["bits"] = bits;
}

double Millis(double seconds) { return std::round(seconds * 1000) / 1000; }

const char* FormatWord(ImageFormat format) {
  switch (format) {
    case ImageFormat::kIntelHex:
      return "ihex";
    case ImageFormat::kSRecord:
      return "srec";
    default:
      return "raw";
  }
}
