#include "link/trace_file.h"

bool TraceFile::Write(const std::string& text) {
  if (file_ == kNoFile) {
    file_ = mode_ == Mode::kReplace ? CreateFileAlways(path_)
                                    : OpenFileForAppending(path_);
  }
  return IsOpenFile(file_) &&
         WriteFileBytes(file_, text.data(), static_cast<uint32_t>(text.size())) ==
             text.size();
}
