#include "jobs/bad_block_log.h"

#include <cstdint>

#include "base/file.h"
#include "base/format.h"

std::string LogFailureLine(const ByteFailure& f) {
  return Format("写地址%X失败,写数据%X,效验数据%X\r\n", f.address,
                unsigned{f.expected}, unsigned{f.actual});
}

int AppendBadBlockLog(ProgrammerLink& link, JobHost& host,
                      const FilePath& directory, const std::string& text) {
  int result = 1;
  if (link.m_hLogFile == kNoFile) {
    link.m_hLogFile = CreateFileAlways(directory / FileNameFromGbk(kBadBlockLogName));
    if (!IsOpenFile(link.m_hLogFile)) host.ShowMessage("Could not creat *.*.");
    result = 0;
  }
  // A write on kBadFile does nothing: a log that could not be created
  // costs the run its log, not its programming.
  WriteFileBytes(link.m_hLogFile, text.data(),
                 static_cast<uint32_t>(text.size()));
  return result;
}

void CloseBadBlockLog(ProgrammerLink& link) {
  CloseFileHandle(link.m_hLogFile);
  link.m_hLogFile = kNoFile;
}
