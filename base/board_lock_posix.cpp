#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#include "base/format.h"

#include "base/board_lock_platform.h"

namespace {

// A lock file held with flock: the lock goes with the descriptor, and so
// with the process.
class FileLock : public BoardLock {
 public:
  explicit FileLock(int fd) : fd_(fd) {}
  ~FileLock() override { close(fd_); }

 private:
  int fd_;
};

// Opens (making it if needed) the lock file of `name` in `dir`; -1 with
// *why set on failure.
int OpenLockFile(const FilePath& dir, const std::string& name,
                 std::string* why) {
  const FilePath path = dir / ("tarnwick-" + name + ".lock");
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd >= 0) {
    fchmod(fd, 0666);  // any user's run may take it next (umask aside)
    return fd;
  }
  // Made by another user: reading is enough to lock it.
  if (errno == EACCES) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) *why = PathForDisplay(path) + ": " + std::strerror(errno);
  return fd;
}

// Where the lock file of `name` is made: /run/lock, else the temporary
// folder.
std::vector<FilePath> LockFolders() {
  std::error_code ec;
  return {"/run/lock", std::filesystem::temp_directory_path(ec)};
}

// The holder's record at the start of the lock file `fd`.
std::string ReadRecord(int fd) {
  char record[512] = {};
  const ssize_t n = pread(fd, record, sizeof record - 1, 0);
  return std::string(record, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace

bool ResourceHeld(const std::string& name, std::string* record) {
  for (const FilePath& dir : LockFolders()) {
    const FilePath path = dir / ("tarnwick-" + name + ".lock");
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st;
    if (fstat(fd, &st) != 0) {
      close(fd);
      continue;
    }
    // The kernel lists every flock held, by device and inode: "1: FLOCK
    // ADVISORY WRITE 1234 00:1a:5678 0 EOF" (waiters as "1: -> FLOCK").
    const std::string file = Format(
        " %02x:%02x:%llu ", major(st.st_dev), minor(st.st_dev),
        static_cast<unsigned long long>(st.st_ino));
    std::ifstream locks("/proc/locks");
    bool held = false;
    for (std::string line; !held && std::getline(locks, line);) {
      held = line.find(" FLOCK ") != std::string::npos &&
             line.find("->") == std::string::npos &&
             line.find(file) != std::string::npos;
    }
    if (held) *record = ReadRecord(fd);
    close(fd);
    if (held) return true;
  }
  return false;
}

TryLockResult TryLockResource(const std::string& name,
                              std::unique_ptr<BoardLock>* lock,
                              std::string* why) {
  std::string first_why;
  const std::vector<FilePath> folders = LockFolders();
  int fd = OpenLockFile(folders[0], name, &first_why);
  if (fd < 0) {
    fd = OpenLockFile(folders[1], name, why);
    if (fd < 0) {
      *why = "cannot make the board's lock file (" + first_why + "; " + *why +
             ")";
      return TryLockResult::kFailed;
    }
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error != EWOULDBLOCK) {
      *why = std::string("cannot lock the board: ") + std::strerror(error);
      close(fd);
      return TryLockResult::kFailed;
    }
    // The holder's record: its process id and command line.
    *why = HolderText(ReadRecord(fd));
    close(fd);
    return TryLockResult::kHeld;
  }
  const std::string record =
      HolderRecord(static_cast<unsigned long>(getpid()));
  if (ftruncate(fd, 0) == 0) {
    ssize_t ignored = pwrite(fd, record.data(), record.size(), 0);
    (void)ignored;  // a lock file of another user's stays read-only
  }
  *lock = std::make_unique<FileLock>(fd);
  return TryLockResult::kTaken;
}

std::string BoardLock::ThisProcess() {
  char buffer[4096];
  const int fd = open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "?";
  const ssize_t n = read(fd, buffer, sizeof buffer);
  close(fd);
  std::string command(buffer, n > 0 ? static_cast<size_t>(n) : 0);
  while (!command.empty() && command.back() == '\0') command.pop_back();
  for (char& c : command)
    if (c == '\0' || c == '\n') c = ' ';
  const size_t slash = command.rfind('/', command.find(' '));
  return slash == std::string::npos ? command : command.substr(slash + 1);
}
