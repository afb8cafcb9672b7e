#ifndef TARNWICK_SESSION_BAD_BLOCK_LOG_H_
#define TARNWICK_SESSION_BAD_BLOCK_LOG_H_

#include "base/file.h"
#include "chip/progress.h"

// File name of the desktop program's bad-block log, in GBK like every text
// of the program. It lives beside the executable.
constexpr char kBadBlockLogName[] = "坏块记录.txt";

// The bad-block log of one write: a file made afresh with a start line,
// one line per address that never verified when programmed (address, byte
// written, byte last read back), and an end line. GBK text, CR LF line
// ends, each line written in one call as it happens.
class BadBlockLog {
 public:
  BadBlockLog() = default;
  // Closes the file.
  ~BadBlockLog();

  BadBlockLog(const BadBlockLog&) = delete;
  BadBlockLog& operator=(const BadBlockLog&) = delete;

  // Creates the log at `path`, replacing an older one. False when it
  // cannot be created; the lines then go nowhere.
  bool Create(const FilePath& path);

  // "坏块记录开始:" at the start of a write.
  void Start();
  // "写地址%X失败,写数据%X,效验数据%X" for `failure`.
  void Failure(const ByteFailure& failure);
  // "坏块记录结束:", then closes the file.
  void End();

 private:
  void Append(const std::string& line);

  FileHandle file_ = kNoFile;
};

#endif  // TARNWICK_SESSION_BAD_BLOCK_LOG_H_
