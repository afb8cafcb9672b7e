#include "session/bad_block_log.h"

#include <cstdint>
#include <string>

#include "base/format.h"

BadBlockLog::~BadBlockLog() { CloseFileHandle(file_); }

bool BadBlockLog::Create(const FilePath& path) {
  CloseFileHandle(file_);
  file_ = CreateFileAlways(path);
  return IsOpenFile(file_);
}

void BadBlockLog::Append(const std::string& line) {
  // A log that could not be created costs the run its log, not its
  // programming: writes on kBadFile do nothing.
  WriteFileBytes(file_, line.data(), static_cast<uint32_t>(line.size()));
}

void BadBlockLog::Start() { Append("坏块记录开始:\r\n"); }

void BadBlockLog::Failure(const ByteFailure& f) {
  Append(Format("写地址%X失败,写数据%X,效验数据%X\r\n", f.address,
                unsigned{f.expected}, unsigned{f.actual}));
}

void BadBlockLog::End() {
  Append("坏块记录结束:\r\n");
  CloseFileHandle(file_);
  file_ = kNoFile;
}
