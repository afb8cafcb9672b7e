#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

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

}  // namespace

TryLockResult TryLockResource(const std::string& name,
                              std::unique_ptr<BoardLock>* lock,
                              std::string* why) {
  std::string first_why;
  int fd = OpenLockFile("/run/lock", name, &first_why);
  if (fd < 0) {
    std::error_code ec;
    fd = OpenLockFile(std::filesystem::temp_directory_path(ec), name, why);
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
    char record[512] = {};
    const ssize_t n = pread(fd, record, sizeof record - 1, 0);
    close(fd);
    *why = HolderText(std::string(record, n > 0 ? static_cast<size_t>(n) : 0));
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
