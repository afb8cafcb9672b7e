#ifndef TARNWICK_JOBS_READ_CHIP_JOB_H_
#define TARNWICK_JOBS_READ_CHIP_JOB_H_

#include "jobs/job_host.h"
#include "session/programmer_session.h"

// Reads addresses 0 to 0xFFF, showing "ADDR=%X,\tDATA=%X" in the
// read-status label and yielding after each, then offers to save the 4096
// bytes as a raw image file. Messages: "Could not creat *.bin" when the
// file cannot be created, "Could not write *.bin" when not all 4096 bytes
// were written. When host.StopRequested() turns true it stops before the
// next address and offers no save. The caller owns the thread and the
// claim on the chip.
void RunReadChipJob(ProgrammerSession& session, JobHost& host);

#endif  // TARNWICK_JOBS_READ_CHIP_JOB_H_
