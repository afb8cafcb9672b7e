#include "jobs/write_chip_job.h"

#include <cstdint>
#include <cstring>

#include "base/file.h"
#include "base/format.h"
#include "jobs/bad_block_log.h"

namespace {

// Loads the chosen image into link.m_codeImage and sets *size. Returns
// false after telling the user why it cannot be used; m_codeImage is then
// unchanged.
bool LoadImage(ProgrammerLink& link, JobHost& host, const FilePath& path,
               uint32_t* size) {
  // Read access only, sharing reads: a read-only image, or one open in an
  // editor, still programs.
  std::string bytes;
  const char* error = nullptr;
  switch (ReadFileToString(path, &bytes, kChipSize)) {
    case ReadResult::kRead:
      break;
    case ReadResult::kNotOpened:
      error = "Could not open *.jmu.";
      break;
    case ReadResult::kTooLarge:
      error = "*.bin文件不能大于4k";
      break;
    case ReadResult::kNotRead:
      error = "读文件出错!";
      break;
  }
  if (error != nullptr) {
    host.ShowMessage(error);
    return false;
  }
  *size = static_cast<uint32_t>(bytes.size());
  std::memcpy(link.m_codeImage, bytes.data(), bytes.size());
  return true;
}

// Programs `data` at `address` and reads it back until it verifies, giving
// it ten passes of three reads with a program cycle after each failed pass.
// Every value read is left in link.m_readImage. True when it verified.
bool ProgramAndVerify(ProgrammerLink& link, uint32_t address, uint8_t data) {
  link.WriteCodeByte(address, data);
  for (int pass = 0; pass < kVerifyPasses; ++pass) {
    for (int read = 0; read < kReadsPerPass; ++read) {
      const uint8_t value = static_cast<uint8_t>(link.ReadCodeByte(address));
      link.m_readImage[address] = value;
      if (value == data) return true;
    }
    link.WriteCodeByte(address, data);
  }
  return false;
}

}  // namespace

unsigned RunWriteChipJob(ProgrammerLink& link, JobHost& host,
                         const FilePath& log_directory) {
  FilePath path;
  if (!host.ChooseOpenFile(&path)) return 0;
  uint32_t size = 0;
  if (!LoadImage(link, host, path, &size)) return 0;

  CloseBadBlockLog(link);
  AppendBadBlockLog(link, host, log_directory, "坏块记录开始:\r\n");
  Clock* clock = link.clock();
  clock->SleepMs(1000);
  for (uint32_t a = 0; a < size; ++a) {
    if (host.StopRequested()) break;
    const uint8_t d = link.m_codeImage[a];
    if (!ProgramAndVerify(link, a, d)) {
      AppendBadBlockLog(link, host, log_directory,
                        Format("写地址%X失败,写数据%X,效验数据%X\r\n", a, d,
                               link.m_readImage[a]));
    }
    host.SetWriteStatus(Format("ADDR=%X,DATA=%X", a, link.m_readImage[a]));
    clock->SleepMs(0);
  }
  AppendBadBlockLog(link, host, log_directory, "坏块记录结束:\r\n");
  CloseBadBlockLog(link);
  return 0;
}
