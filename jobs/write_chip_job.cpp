#include "jobs/write_chip_job.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/file.h"
#include "base/format.h"
#include "chip/chip_operations.h"
#include "image/image_file.h"
#include "jobs/bad_block_log.h"
#include "jobs/job_progress.h"

namespace {

// Loads the chosen image into link.m_codeImage and sets *size. Returns
// false after telling the user why it cannot be used; m_codeImage is then
// unchanged.
bool LoadImage(ProgrammerLink& link, JobHost& host, const FilePath& path,
               uint32_t* size) {
  ChipImage image;
  const char* error = nullptr;
  switch (LoadRawImage(path, kChipSize, &image, nullptr)) {
    case ImageLoadResult::kLoaded:
      break;
    case ImageLoadResult::kNotOpened:
      error = "Could not open *.jmu.";
      break;
    case ImageLoadResult::kTooLarge:
      error = "*.bin文件不能大于4k";
      break;
    case ImageLoadResult::kNotRead:
    case ImageLoadResult::kMalformed:  // not for raw images
      error = "读文件出错!";
      break;
  }
  if (error != nullptr) {
    host.ShowMessage(error);
    return false;
  }
  *size = static_cast<uint32_t>(image.bytes.size());
  std::copy(image.bytes.begin(), image.bytes.end(), link.m_codeImage);
  return true;
}

}  // namespace

unsigned RunWriteChipJob(ProgrammerLink& link, JobHost& host,
                         const FilePath& log_directory) {
  FilePath path;
  if (!host.ChooseOpenFile(&path)) return 0;
  uint32_t size = 0;
  if (!LoadImage(link, host, path, &size)) return 0;

  CloseBadBlockLog(link);
  AppendBadBlockLog(link, host, log_directory, kLogStartLine);
  link.clock()->SleepMs(1000);
  std::vector<uint32_t> addresses(size);
  for (uint32_t a = 0; a < size; ++a) addresses[a] = a;
  JobProgress progress(
      host,
      [&host](const Progress& p) {
        host.SetWriteStatus(Format("ADDR=%X,DATA=%X", p.address, p.byte));
      },
      [&](const ByteFailure& f) {
        AppendBadBlockLog(link, host, log_directory, LogFailureLine(f));
      });
  ProgramAndVerify(link, link.m_codeImage, addresses, link.m_readImage,
                   progress);
  AppendBadBlockLog(link, host, log_directory, kLogEndLine);
  CloseBadBlockLog(link);
  return 0;
}
