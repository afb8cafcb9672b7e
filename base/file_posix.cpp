#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "base/file.h"

// A descriptor d is kept as the pointer value d + 1, so that 0 stays free
// for kNoFile.
const FileHandle kBadFile = reinterpret_cast<FileHandle>(~uintptr_t{0});

namespace {

FileHandle FromFd(int fd) {
  if (fd < 0) return kBadFile;
  return reinterpret_cast<FileHandle>(static_cast<uintptr_t>(fd) + 1);
}

int ToFd(FileHandle f) {
  return static_cast<int>(reinterpret_cast<uintptr_t>(f) - 1);
}

}  // namespace

FileHandle OpenFileForReading(const std::string& path) {
  return FromFd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

FileHandle CreateFileAlways(const std::string& path) {
  return FromFd(open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC,
                     0644));
}

FileHandle OpenFileForAppending(const std::string& path) {
  return FromFd(open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC,
                     0644));
}

uint32_t FileSizeOf(FileHandle f) {
  struct stat st;
  if (!IsOpenFile(f) || fstat(ToFd(f), &st) != 0) return 0;
  return static_cast<uint32_t>(st.st_size);
}

uint32_t ReadFileBytes(FileHandle f, void* buffer, uint32_t n) {
  if (!IsOpenFile(f)) return 0;
  uint32_t total = 0;
  while (total < n) {
    const ssize_t got = read(ToFd(f), static_cast<char*>(buffer) + total,
                             n - total);
    if (got <= 0) break;
    total += static_cast<uint32_t>(got);
  }
  return total;
}

uint32_t WriteFileBytes(FileHandle f, const void* buffer, uint32_t n) {
  if (!IsOpenFile(f)) return 0;
  uint32_t total = 0;
  while (total < n) {
    const ssize_t put = write(
        ToFd(f), static_cast<const char*>(buffer) + total, n - total);
    if (put <= 0) break;
    total += static_cast<uint32_t>(put);
  }
  return total;
}

void CloseFileHandle(FileHandle f) {
  if (IsOpenFile(f)) close(ToFd(f));
}

std::string ExecutableDirectory() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  std::string full(path, static_cast<size_t>(n));
  return full.substr(0, full.rfind('/') + 1);
}
