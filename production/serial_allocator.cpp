#include "production/serial_allocator.h"

#include "base/format.h"

namespace {

// A serial file is one short line; anything longer is not one.
constexpr uint64_t kMaxFileBytes = 64;

// The number of "1017\n" (blanks and line ends around it allowed); false
// for anything else or a number beyond 64 bits.
bool ParseNumber(const std::string& text, uint64_t* number) {
  const size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return false;
  const size_t end = text.find_last_not_of(" \t\r\n") + 1;
  uint64_t n = 0;
  for (size_t i = begin; i < end; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (n > (UINT64_MAX - digit) / 10) return false;
    n = n * 10 + digit;
  }
  *number = n;
  return true;
}

std::string Number(uint64_t n) {
  return Format("%llu", static_cast<unsigned long long>(n));
}

// "process 1234 (tarnwick batch) holds the board", said of a file.
std::string Holder(std::string why) {
  const std::string board = " holds the board";
  if (why.size() > board.size() &&
      why.compare(why.size() - board.size(), board.size(), board) == 0)
    why.erase(why.size() - board.size());
  return why;
}

}  // namespace

std::unique_ptr<SerialAllocator> SerialAllocator::Open(
    const SerialFileSetup& setup, RecordFiles* files, std::string* why) {
  const std::string name = PathForDisplay(setup.path);
  if (setup.step == 0) {
    *why = "the serial step must be at least 1";
    return nullptr;
  }
  std::string held;
  std::unique_ptr<BoardLock> lock = BoardLock::Acquire(
      BoardLock::ResourcesOfFile(setup.path), RealClock(), 0, nullptr, &held);
  if (lock == nullptr) {
    *why = "the serial file " + name + " is in use by another run: " +
           Holder(held);
    return nullptr;
  }
  std::string text, error;
  uint64_t next = 0;
  const ReadResult read = files->Read(setup.path, kMaxFileBytes, &text, &error);
  std::error_code ec;
  if (read == ReadResult::kNotOpened && !std::filesystem::exists(setup.path, ec)) {
    if (!setup.start) {
      *why = "the serial file " + name +
             " does not exist; a start number makes it";
      return nullptr;
    }
    next = *setup.start;
  } else if (read != ReadResult::kRead && read != ReadResult::kTooLarge) {
    *why = "cannot read the serial file " + name + ": " + error;
    return nullptr;
  } else if (read == ReadResult::kTooLarge || !ParseNumber(text, &next)) {
    *why = "the serial file " + name +
           " does not hold one decimal number on a line";
    return nullptr;
  } else if (setup.start && *setup.start != next) {
    *why = "the serial file " + name + " holds " + Number(next) +
           ", not the start " + Number(*setup.start) +
           " given: a run never starts its numbers again";
    return nullptr;
  }
  if (next > setup.last) {
    *why = "the serial number " + Number(next) +
           " does not fit the serial area (its largest is " +
           Number(setup.last) + ")";
    return nullptr;
  }
  return std::unique_ptr<SerialAllocator>(
      new SerialAllocator(setup, files, next, std::move(lock)));
}

SerialAllocator::SerialAllocator(const SerialFileSetup& setup,
                                 RecordFiles* files, uint64_t next,
                                 std::unique_ptr<BoardLock> lock)
    : setup_(setup), files_(files), lock_(std::move(lock)), next_(next) {}

TakeResult SerialAllocator::Take(uint64_t* number, std::string* why) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (!given_back_.empty()) {
    *number = *given_back_.begin();
    given_back_.erase(given_back_.begin());
    return TakeResult::kTaken;
  }
  if (next_ > setup_.last || next_ > UINT64_MAX - setup_.step) {
    *why = "the serial numbers have run out: " + Number(next_) +
           " does not fit the serial area (its largest is " +
           Number(setup_.last) + ")";
    return TakeResult::kUsedUp;
  }
  const uint64_t after = next_ + setup_.step;
  std::string error;
  if (!files_->Replace(setup_.path, Number(after) + "\n", &error)) {
    *why = "cannot write the serial file " + PathForDisplay(setup_.path) +
           ": " + error;
    return TakeResult::kNotRecorded;
  }
  *number = next_;
  next_ = after;
  return TakeResult::kTaken;
}

void SerialAllocator::Failed(uint64_t number) {
  if (!setup_.reuse_failed) return;
  std::lock_guard<std::mutex> hold(mutex_);
  given_back_.insert(number);
}

uint64_t SerialAllocator::FileNext() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return next_;
}
