#ifndef TARNWICK_PRODUCTION_RECORD_FILES_H_
#define TARNWICK_PRODUCTION_RECORD_FILES_H_

#include <cstdint>
#include <string>

#include "base/file.h"

// The files a production run keeps its records in (the serial-number file,
// the journal), on the file seam (base/file.h). An interface, so that a test
// can wrap it to make a disk fill up or a write tear.
class RecordFiles {
 public:
  virtual ~RecordFiles() = default;

  // The whole file, refused when larger than `max_bytes` (ReadFileToString).
  virtual ReadResult Read(const FilePath& path, uint64_t max_bytes,
                          std::string* contents, std::string* error) = 0;

  // Replaces the file so that a power cut at any moment leaves either the
  // old or the new contents: written to a temporary file, flushed, renamed
  // into place, and the folder flushed. False, with *error, when any step
  // failed; the file then holds what it held before.
  virtual bool Replace(const FilePath& path, const std::string& contents,
                       std::string* error) = 0;

  // The file's last `n` bytes and its size (ReadFileEnd).
  virtual ReadResult End(const FilePath& path, uint32_t n, std::string* end,
                         uint64_t* size, std::string* error) = 0;

  // Appends `bytes` in one write, flushed to the disk before returning; a
  // file it makes has its folder flushed too. False, with *error, when they
  // are not all on the disk (some may be).
  virtual bool Append(const FilePath& path, const std::string& bytes,
                      std::string* error) = 0;
};

// The real files. Never null; it keeps no state, so any thread may use it.
RecordFiles* RealRecordFiles();

#endif  // TARNWICK_PRODUCTION_RECORD_FILES_H_
