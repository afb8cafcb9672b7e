#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "base/file.h"
#include "base/file_platform.h"
#include "base/format.h"

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

void SetError(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
}

std::string ErrnoText() { return std::strerror(errno); }

// Writes all of `n` bytes; false on the first failed write. A write that a
// signal interrupts (a pipe whose reader stalls) ends too: the program was
// asked to stop.
bool WriteAll(int fd, const char* bytes, size_t n) {
  while (n > 0) {
    const ssize_t put = write(fd, bytes, n);
    if (put <= 0) return false;
    bytes += put;
    n -= static_cast<size_t>(put);
  }
  return true;
}

// Opens the file at `path` for reading, its status into *st; -1, with
// *error, when it cannot be opened or is a folder.
int OpenToRead(const FilePath& path, struct stat* st, std::string* error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0 && fstat(fd, st) == 0 && !S_ISDIR(st->st_mode)) return fd;
  SetError(error, fd < 0 ? ErrnoText() : "is a folder");
  if (fd >= 0) close(fd);
  return -1;
}

// Gives the new file `fd` the permissions of the existing `old`: its group
// where this process may, its owner too when root, then its mode. A group
// that cannot be kept gets no more than others may, as careful editors do.
void TakePermissions(int fd, const struct stat& old) {
  const bool root = geteuid() == 0;
  const bool group_kept =
      fchown(fd, root ? old.st_uid : static_cast<uid_t>(-1), old.st_gid) ==
      0;
  mode_t mode = old.st_mode & 07777;
  if (!group_kept) mode = (mode & ~mode_t{070}) | (mode & 07) << 3;
  // A failure leaves the file only its owner may read: never more exposed.
  const int ignored = fchmod(fd, mode);
  (void)ignored;
}

}  // namespace

ReadResult ReadFileToString(const FilePath& path, std::string* contents,
                            uint64_t max_bytes, std::string* error) {
  contents->clear();
  struct stat st;
  const int fd = OpenToRead(path, &st, error);
  if (fd < 0) return ReadResult::kNotOpened;
  if (static_cast<uint64_t>(st.st_size) > max_bytes) {
    close(fd);
    SetError(error, Format("larger than %llu bytes",
                           static_cast<unsigned long long>(max_bytes)));
    return ReadResult::kTooLarge;
  }
  // The size is a hint: a file that grows or is not a regular file is read
  // to its end, up to the limit.
  char buffer[65536];
  for (;;) {
    // A read interrupted by a signal ends: the program was asked to stop.
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0) {
      SetError(error, ErrnoText());
      close(fd);
      contents->clear();
      return ReadResult::kNotRead;
    }
    if (got == 0) break;
    contents->append(buffer, static_cast<size_t>(got));
    if (contents->size() > max_bytes) {
      close(fd);
      contents->clear();
      SetError(error, Format("larger than %llu bytes",
                             static_cast<unsigned long long>(max_bytes)));
      return ReadResult::kTooLarge;
    }
  }
  close(fd);
  return ReadResult::kRead;
}

SaveResult WriteNewFileFlushed(const FilePath& path,
                               const std::string& contents,
                               const FilePath& like, std::string* error) {
  struct stat old;
  const bool has_like = !like.empty() && stat(like.c_str(), &old) == 0;
  // Made for its owner alone until it has the old file's permissions.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                      has_like ? 0600 : 0644);
  if (fd < 0) {
    SetError(error, ErrnoText());
    return SaveResult::kNotCreated;
  }
  if (has_like) TakePermissions(fd, old);
  bool written = WriteAll(fd, contents.data(), contents.size()) &&
                 fsync(fd) == 0;
  std::string why = written ? "" : ErrnoText();
  if (close(fd) != 0 && written) {
    written = false;
    why = ErrnoText();
  }
  if (!written) {
    unlink(path.c_str());
    SetError(error, why);
    return SaveResult::kNotWritten;
  }
  return SaveResult::kSaved;
}

SaveResult WriteIntoExisting(const FilePath& path, const std::string& contents,
                             std::string* error) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    SetError(error, ErrnoText());
    return SaveResult::kNotCreated;
  }
  const bool written = WriteAll(fd, contents.data(), contents.size());
  SetError(error, written ? "" : ErrnoText());
  close(fd);
  return written ? SaveResult::kSaved : SaveResult::kNotWritten;
}

bool RenameOnto(const FilePath& from, const FilePath& to, std::string* error) {
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  SetError(error, ErrnoText());
  return false;
}

bool GetFileId(const FilePath& path, FileId* id) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  id->device = static_cast<uint64_t>(st.st_dev);
  id->index = static_cast<uint64_t>(st.st_ino);
  return true;
}

bool SameName(const FilePath& a, const FilePath& b) { return a == b; }

// With the effective user's rights, as the file calls will be made.
bool MayWriteInto(const FilePath& path, std::string* why) {
  if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0) return true;
  *why = ErrnoText();
  return false;
}

bool MayMakeFilesIn(const FilePath& dir, std::string* why) {
  if (faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0)
    return true;
  *why = PathForDisplay(dir) + ": " + ErrnoText();
  return false;
}

unsigned long CurrentProcessId() {
  return static_cast<unsigned long>(getpid());
}

FileHandle CreateFileAlways(const FilePath& path) {
  return FromFd(open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC,
                     0644));
}

FileHandle OpenFileForAppending(const FilePath& path) {
  return FromFd(open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC,
                     0644));
}

uint32_t WriteFileBytes(FileHandle f, const void* buffer, uint32_t n) {
  if (!IsOpenFile(f)) return 0;
  uint32_t total = 0;
  while (total < n) {
    const ssize_t put = write(
        ToFd(f), static_cast<const char*>(buffer) + total, n - total);
    if (put <= 0) break;  // a signal's interruption included
    total += static_cast<uint32_t>(put);
  }
  return total;
}

void CloseFileHandle(FileHandle f) {
  if (IsOpenFile(f)) close(ToFd(f));
}

FilePath ExecutableDirectory() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  return FilePath(std::string(path, static_cast<size_t>(n))).parent_path();
}

std::string PathForDisplay(const FilePath& path) { return path.string(); }

FilePath FileNameFromGbk(const std::string& gbk) { return FilePath(gbk); }

FilePath PathFromUtf8(const std::string& utf8) { return FilePath(utf8); }

// --- Records that must survive a power cut ---------------------------------

SaveResult AppendToFileFlushed(const FilePath& path, const std::string& bytes,
                               std::string* error) {
  const int fd =
      open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetError(error, ErrnoText());
    return SaveResult::kNotCreated;
  }
  bool written = WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
  SetError(error, written ? "" : ErrnoText());
  if (close(fd) != 0 && written) {
    written = false;
    SetError(error, ErrnoText());
  }
  return written ? SaveResult::kSaved : SaveResult::kNotWritten;
}

bool FlushFolderToDisk(const FilePath& dir, std::string* error) {
  const int fd = open(dir.empty() ? "." : dir.c_str(),
                      O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool flushed = fd >= 0 && fsync(fd) == 0;
  if (!flushed) SetError(error, ErrnoText());
  if (fd >= 0) close(fd);
  return flushed;
}

ReadResult ReadFileEnd(const FilePath& path, uint32_t n, std::string* end,
                       uint64_t* size, std::string* error) {
  end->clear();
  *size = 0;
  struct stat st;
  const int fd = OpenToRead(path, &st, error);
  if (fd < 0) return ReadResult::kNotOpened;
  *size = static_cast<uint64_t>(st.st_size);
  const uint64_t from = *size > n ? *size - n : 0;
  end->resize(static_cast<size_t>(*size - from));
  const ssize_t got = pread(fd, &(*end)[0], end->size(),
                            static_cast<off_t>(from));
  close(fd);
  if (got != static_cast<ssize_t>(end->size())) {
    SetError(error, got < 0 ? ErrnoText() : "shorter than its size");
    end->clear();
    return ReadResult::kNotRead;
  }
  return ReadResult::kRead;
}
