#ifndef TARNWICK_PRODUCTION_JOURNAL_H_
#define TARNWICK_PRODUCTION_JOURNAL_H_

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/file.h"
#include "chip/parts.h"
#include "production/record_files.h"

// One chip of a production run, as its journal line tells it.
struct JournalRecord {
  std::string time;   // ISO 8601 with the UTC offset (LocalTimeText)
  std::string board;  // the board's name; empty for a run's only board
  uint32_t chip = 0;  // the chip's number in its board's run, from 1
  Signature signature;
  std::string part;                // "89C51"
  std::optional<uint64_t> serial;  // none: no serial number
  std::optional<uint32_t> crc32;   // of the chip image, serial in it
  std::string result;              // pass, fail, wrong-part or stopped
  uint32_t programmed = 0;         // bytes
  uint32_t failed = 0;             // bytes
  std::optional<uint32_t> first_failure;  // address
  double seconds = 0;
};

// The journal of production runs: a CSV file (RFC 4180, UTF-8, CR LF line
// ends) that only grows, one line a chip. A file made new gets a byte order
// mark (so that spreadsheets take it as UTF-8) and the header line. Each
// line is one append, on the disk before Append returns. A last line left
// torn by a power cut is ended first, so that it spoils no other line.
// Any thread may append.
class Journal {
 public:
  // The header line's fields, without its line end.
  static const char kHeader[];

  // Opens the journal at `path` for appending, making it (with its header)
  // when missing or empty, so that a file that cannot be written is known
  // before the first chip. Null, with *why, when it cannot be written.
  // `files` must outlive the journal.
  static std::unique_ptr<Journal> Open(const FilePath& path,
                                       RecordFiles* files, std::string* why);

  // Appends the record's line. False, with *why, when it may not be on the
  // disk: the run must stop before its next chip.
  bool Append(const JournalRecord& record, std::string* why);

  // The record as one CSV line, with its line end.
  static std::string Line(const JournalRecord& record);

 private:
  Journal(const FilePath& path, RecordFiles* files)
      : path_(path), files_(files) {}

  // Appends `line`, after a byte order mark and the header when the file is
  // missing or empty, and after a line end when its last line is torn.
  bool AppendLine(const std::string& line, std::string* why);

  const FilePath path_;
  RecordFiles* const files_;
  std::mutex mutex_;
};

// The local time now, ISO 8601 with the offset from UTC:
// "2024-05-01T14:03:22+02:00".
std::string LocalTimeText();

#endif  // TARNWICK_PRODUCTION_JOURNAL_H_
