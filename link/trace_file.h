#ifndef TARNWICK_LINK_TRACE_FILE_H_
#define TARNWICK_LINK_TRACE_FILE_H_

#include <string>

#include "base/file.h"
#include "link/trace.h"

// A trace's file, written as the trace sends its lines (Trace::SendTo).
// The file is opened at the first write: made afresh (kReplace, a run's
// --trace) or appended to (kAppend, the simulated board's own trace).
class TraceFile : public TraceOutput {
 public:
  enum class Mode { kReplace, kAppend };

  TraceFile(const FilePath& path, Mode mode) : path_(path), mode_(mode) {}
  ~TraceFile() override { CloseFileHandle(file_); }

  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  bool Write(const std::string& text) override;

  const FilePath& path() const { return path_; }

 private:
  FilePath path_;
  Mode mode_;
  FileHandle file_ = kNoFile;
};

#endif  // TARNWICK_LINK_TRACE_FILE_H_
