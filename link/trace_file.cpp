#include "link/trace_file.h"

bool TraceFile::Write(const std::string& text) {
  if (file_ == kNoFile) {
    file_ = mode_ == Mode::kReplace ? CreateFileAlways(path_)
                                    : OpenFileForAppending(path_);
  }
  const uint32_t size = static_cast<uint32_t>(text.size());
  return IsOpenFile(file_) && WriteFileBytes(file_, text.data(), size) == size;
}
