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

  std::string path;
  if (!host.ChooseSaveFile(&path)) return 0;
  FileHandle file = CreateFileAlways(path);
  if (!IsOpenFile(file)) {
    host.ShowMessage("Could not creat *.bin");
    return 0;
  }
  const uint32_t written = WriteFileBytes(file, link.m_readImage, kChipSize);
  CloseFileHandle(file);
  // A short file must not pass for a saved image.
  if (written != kChipSize) host.ShowMessage("Could not write *.bin");
  return 0;
}
