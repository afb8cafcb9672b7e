#include "jobs/write_chip_job.h"

#include "base/format.h"
#include "image/image_file.h"
#include "jobs/job_progress.h"

namespace {

// The message telling why the chosen image cannot be used; null when it
// was loaded.
const char* LoadMessage(ImageLoadResult result) {
  switch (result) {
    case ImageLoadResult::kLoaded:
      return nullptr;
    case ImageLoadResult::kNotOpened:
      return "Could not open *.jmu.";
    case ImageLoadResult::kTooLarge:
      return "*.bin文件不能大于4k";
    case ImageLoadResult::kNotRead:
    case ImageLoadResult::kMalformed:  // not for raw images
      break;
  }
  return "读文件出错!";
}

}  // namespace

void RunWriteChipJob(ProgrammerSession& session, JobHost& host,
                         const FilePath& log_directory) {
  FilePath path;
  if (!host.ChooseOpenFile(&path)) return;
  ChipImage image;
  const char* refused =
      LoadMessage(LoadRawImage(path, kDesktopChipSize, &image, nullptr));
  if (refused != nullptr) {
    host.ShowMessage(refused);
    return;
  }

  BadBlockLog log;
  if (!log.Create(log_directory / FileNameFromGbk(kBadBlockLogName)))
    host.ShowMessage("Could not creat *.*.");
  JobProgress progress(host, [&host](const Progress& p) {
    host.SetWriteStatus(Format("ADDR=%X,DATA=%X", p.address, p.byte));
  });
  WriteOptions options;
  options.mode = WriteMode::kNoErase;
  options.compare_at_end = false;
  options.pause_ms = 1000;
  session.Write(image.bytes, options, &log, progress);
}
