#include "jobs/read_chip_job.h"

#include <cstdint>
#include <string>

#include "base/file.h"
#include "base/format.h"
#include "jobs/job_progress.h"

void RunReadChipJob(ProgrammerSession& session, JobHost& host) {
  JobProgress progress(host, [&host](const Progress& p) {
    host.SetReadStatus(Format("ADDR=%X,\tDATA=%X", p.address, p.byte));
  });
  std::string image(kDesktopChipSize, '\0');
  const OperationResult read = session.Read(
      kDesktopChipSize, reinterpret_cast<uint8_t*>(&image[0]), progress);
  // A program that is closing gets no Save As dialog.
  if (read.outcome == Outcome::kStopped || host.StopRequested()) return;

  FilePath path;
  if (!host.ChooseSaveFile(&path)) return;
  // Saved whole or not at all: a failed save leaves the chosen file as it
  // was.
  switch (WriteStringToFileSafely(path, image)) {
    case SaveResult::kSaved:
      break;
    case SaveResult::kNotCreated:
      host.ShowMessage("Could not creat *.bin");
      break;
    case SaveResult::kNotWritten:
      host.ShowMessage("Could not write *.bin");
      break;
  }
}
