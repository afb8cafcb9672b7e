#ifndef TARNWICK_JOBS_WRITE_CHIP_JOB_H_
#define TARNWICK_JOBS_WRITE_CHIP_JOB_H_

#include "base/file.h"
#include "jobs/job_host.h"
#include "session/programmer_session.h"

// Asks for an image file (0 to 4096 bytes, opened for reading only) and
// programs it from address 0 up with the session's write, erasing nothing:
// each byte verified by reading it back and programmed again after each
// pass of three failed reads, one second's pause after the bad-block log's
// start line, and a log line for each address still failing after ten
// passes, in the log in the folder `log_directory`. Shows
// "ADDR=%X,DATA=%X" in the write-status label per address. Messages:
// "Could not open *.jmu.", "*.bin文件不能大于4k", "读文件出错!" (each ends
// the job before the log is touched) and "Could not creat *.*."
// (programming goes on without a log). When host.StopRequested() turns
// true it stops before the next address and still ends the log. The
// caller owns the thread and the claim on the chip.
void RunWriteChipJob(ProgrammerSession& session, JobHost& host,
                         const FilePath& log_directory);

#endif  // TARNWICK_JOBS_WRITE_CHIP_JOB_H_
