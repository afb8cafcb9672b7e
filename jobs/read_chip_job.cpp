#include "jobs/read_chip_job.h"

#include <cstdint>
#include <string>

#include "base/file.h"
#include "base/format.h"

unsigned RunReadChipJob(ProgrammerLink& link, JobHost& host) {
  Clock* clock = link.clock();
  for (uint32_t a = 0; a < kChipSize; ++a) {
    if (host.StopRequested()) return 0;
    const uint8_t b = static_cast<uint8_t>(link.ReadCodeByte(a));
    link.m_readImage[a] = b;
    host.SetReadStatus(Format("ADDR=%X,\tDATA=%X", a, b));
    clock->SleepMs(0);
  }
  // A program that is closing gets no Save As dialog.
  if (host.StopRequested()) return 0;

  FilePath path;
  if (!host.ChooseSaveFile(&path)) return 0;
  // Saved whole or not at all: a failed save leaves the chosen file as it
  // was.
  switch (WriteStringToFileSafely(
      path, std::string(reinterpret_cast<const char*>(link.m_readImage),
                        kChipSize))) {
    case SaveResult::kSaved:
      break;
    case SaveResult::kNotCreated:
      host.ShowMessage("Could not creat *.bin");
      break;
    case SaveResult::kNotWritten:
      host.ShowMessage("Could not write *.bin");
      break;
  }
  return 0;
}
