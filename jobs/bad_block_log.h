#ifndef TARNWICK_JOBS_BAD_BLOCK_LOG_H_
#define TARNWICK_JOBS_BAD_BLOCK_LOG_H_

#include <string>

#include "base/file.h"
#include "chip/progress.h"
#include "jobs/job_host.h"
#include "link/programmer_link.h"

// File name of the bad-block log, in GBK like every text of the program.
// It lives beside the executable.
constexpr char kBadBlockLogName[] = "坏块记录.txt";

// The log's lines: the first and last of a run, and one per address that
// never verified (address, byte written, byte last read back).
constexpr char kLogStartLine[] = "坏块记录开始:\r\n";
constexpr char kLogEndLine[] = "坏块记录结束:\r\n";
std::string LogFailureLine(const ByteFailure& failure);

// Appends `text` (its bytes exactly, in one write) to the bad-block log held
// in link.m_hLogFile. When no log is open, first creates
// kBadBlockLogName in `directory` afresh (replacing an older log) and keeps
// the handle, valid or not; a failed creation shows "Could not creat *.*."
// and leaves kBadFile there, so the rest of the run writes nowhere without
// further messages.
// Returns 1 when the log was already open (or had failed), 0 when this call
// created it.
int AppendBadBlockLog(ProgrammerLink& link, JobHost& host,
                      const FilePath& directory, const std::string& text);

// Closes the log (if any) and sets link.m_hLogFile back to kNoFile.
void CloseBadBlockLog(ProgrammerLink& link);

#endif  // TARNWICK_JOBS_BAD_BLOCK_LOG_H_
