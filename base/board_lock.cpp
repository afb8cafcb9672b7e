#include "base/board_lock.h"

#include <system_error>

#include "base/board_lock_platform.h"
#include "base/format.h"

namespace {

constexpr uint32_t kPollMs = 100;

// Several locks held as one.
class LockSet : public BoardLock {
 public:
  void Add(std::unique_ptr<BoardLock> lock) {
    locks_.push_back(std::move(lock));
  }

 private:
  std::vector<std::unique_ptr<BoardLock>> locks_;
};

// FNV-1a: a short, stable name for a path.
uint64_t Fnv1a(const std::string& text) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

// `kind` and a hash of the absolute path, links followed.
std::string ResourceOfPath(const char* kind, const FilePath& path) {
  std::error_code ec;
  FilePath absolute = std::filesystem::weakly_canonical(path, ec);
  if (ec) absolute = std::filesystem::absolute(path, ec);
  return Format("%s-%016llx", kind, static_cast<unsigned long long>(Fnv1a(
                                        PathForDisplay(absolute))));
}

}  // namespace

std::string HolderRecord(unsigned long process_id) {
  return Format("%lu\n", process_id) + BoardLock::ThisProcess();
}

std::string HolderText(const std::string& record) {
  const size_t line = record.find('\n');
  if (line == std::string::npos || line == 0)
    return "another process holds the board";
  return "process " + record.substr(0, line) + " (" + record.substr(line + 1) +
         ") holds the board";
}

std::vector<std::string> BoardLock::ResourcesOfPorts(uint16_t rtl_base,
                                                     uint16_t epp_port) {
  return {Format("rtl8139-%04x", unsigned{rtl_base}),
          Format("parport-%04x", unsigned{epp_port})};
}

std::vector<std::string> BoardLock::ResourcesOfFolder(const FilePath& dir) {
  return {ResourceOfPath("sim", dir)};
}

std::vector<std::string> BoardLock::ResourcesOfFile(const FilePath& file) {
  return {ResourceOfPath("file", file)};
}

std::unique_ptr<BoardLock> BoardLock::Acquire(
    const std::vector<std::string>& resources, Clock* clock, uint32_t wait_ms,
    const std::function<bool()>& stop, std::string* why) {
  auto set = std::make_unique<LockSet>();
  const uint64_t deadline = clock->NowUs() + uint64_t{wait_ms} * 1000;
  for (const std::string& name : resources) {
    for (;;) {
      std::unique_ptr<BoardLock> lock;
      const TryLockResult result = TryLockResource(name, &lock, why);
      if (result == TryLockResult::kTaken) {
        set->Add(std::move(lock));
        break;
      }
      if (result == TryLockResult::kFailed || clock->NowUs() >= deadline ||
          (stop && stop()))
        return nullptr;
      clock->SleepMs(kPollMs);
    }
  }
  return set;
}
