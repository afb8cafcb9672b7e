#include "production/journal.h"

#include <ctime>

#include "base/format.h"
#include "image/checksum.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// A field as RFC 4180 writes it: quoted, its quotes doubled, when it holds
// a comma, a quote or a line end.
std::string Field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

const char Journal::kHeader[] =
    "time,board,chip,signature,part,serial,crc32,result,programmed,failed,"
    "first_failure,seconds";

std::unique_ptr<Journal> Journal::Open(const FilePath& path,
                                       RecordFiles* files, std::string* why) {
  std::unique_ptr<Journal> journal(new Journal(path, files));
  if (!journal->AppendLine("", why)) return nullptr;
  return journal;
}

bool Journal::Append(const JournalRecord& record, std::string* why) {
  std::lock_guard<std::mutex> hold(mutex_);
  return AppendLine(Line(record), why);
}

bool Journal::AppendLine(const std::string& line, std::string* why) {
  std::string end, error;
  uint64_t size = 0;
  const ReadResult read = files_->End(path_, 1, &end, &size, &error);
  std::string text;
  if (read == ReadResult::kNotOpened || size == 0) {
    text = kByteOrderMark + std::string(kHeader) + kLineEnd;
  } else if (read != ReadResult::kRead) {
    *why = "cannot read the journal " + PathForDisplay(path_) + ": " + error;
    return false;
  } else if (end != "\n") {
    text = kLineEnd;  // ends a line a power cut left torn
  }
  text += line;
  // Even nothing is appended: opening the file for it tells whether it can
  // be written.
  if (!files_->Append(path_, text, &error)) {
    *why = "cannot write the journal " + PathForDisplay(path_) + ": " + error;
    return false;
  }
  return true;
}

std::string Journal::Line(const JournalRecord& r) {
  const std::string fields[] = {
      r.time,
      r.board,
      Format("%u", r.chip),
      Format("%02X %02X %02X", unsigned{r.signature.at30},
             unsigned{r.signature.at31}, unsigned{r.signature.at32}),
      r.part,
      r.serial ? Format("%llu", static_cast<unsigned long long>(*r.serial))
               : "",
      r.crc32 ? Crc32Text(*r.crc32) : "",
      r.result,
      Format("%u", r.programmed),
      Format("%u", r.failed),
      r.first_failure ? Format("%04X", *r.first_failure) : "",
      Format("%.3f", r.seconds),
  };
  std::string line = Field(fields[0]);
  for (size_t n = 1; n < sizeof fields / sizeof fields[0]; ++n)
    line += "," + Field(fields[n]);
  return line + kLineEnd;
}

std::string LocalTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
  std::tm copy = local;
  const long long offset = static_cast<long long>(_mkgmtime(&copy) - now);
#else
  localtime_r(&now, &local);
  std::tm copy = local;
  const long long offset = static_cast<long long>(timegm(&copy) - now);
#endif
  const long long minutes = (offset < 0 ? -offset : offset) / 60;
  return Format("%04d-%02d-%02dT%02d:%02d:%02d%c%02lld:%02lld",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min, local.tm_sec,
                offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
}
