#ifndef TARNWICK_BASE_BOARD_LOCK_H_
#define TARNWICK_BASE_BOARD_LOCK_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/file.h"

// One program at a time on a board, across processes: a lock for each of
// the board's resources, held from before the first port access to the end
// of the run. Linux: an advisory lock on a file under /run/lock (the
// temporary folder where that cannot be written); Windows: a named mutex.
// Either dies with its process, so a crash never leaves a board locked.
class BoardLock {
 public:
  virtual ~BoardLock() = default;  // releases every lock held

  // The resources of a real board: its network card and its parallel port.
  static std::vector<std::string> ResourcesOfPorts(uint16_t rtl_base,
                                                   uint16_t epp_port);

  // The resource of a simulated board: the folder it is kept in.
  static std::vector<std::string> ResourcesOfFolder(const FilePath& dir);

  // The resource of a file a run keeps to itself (a serial-number file),
  // named by its absolute path.
  static std::vector<std::string> ResourcesOfFile(const FilePath& file);

  // Takes the locks of `resources` for this process. When another process
  // holds one, polls every 100 ms on `clock` for up to `wait_ms`, giving up
  // early when `stop` (if given) says so. Null when not all were taken, with
  // *why naming the holder ("process 1234 (tarnwick write a.bin)") or what
  // failed; the locks that were taken are released again.
  static std::unique_ptr<BoardLock> Acquire(
      const std::vector<std::string>& resources, Clock* clock,
      uint32_t wait_ms, const std::function<bool()>& stop, std::string* why);

  // This process's command line as its holder record shows it.
  static std::string ThisProcess();
};

#endif  // TARNWICK_BASE_BOARD_LOCK_H_
