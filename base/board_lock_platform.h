#ifndef TARNWICK_BASE_BOARD_LOCK_PLATFORM_H_
#define TARNWICK_BASE_BOARD_LOCK_PLATFORM_H_

#include <memory>
#include <string>

#include "base/board_lock.h"

// What BoardLock needs from each platform (board_lock_posix.cpp,
// board_lock_win32.cpp).

enum class TryLockResult {
  kTaken,   // this process holds the resource now
  kHeld,    // another process holds it; *why names it where known
  kFailed,  // the lock could not be made; *why says why
};

// Tries once, without waiting, to lock the resource `name` (letters,
// digits and '-' only). On kTaken, *lock holds it until destroyed.
TryLockResult TryLockResource(const std::string& name,
                              std::unique_ptr<BoardLock>* lock,
                              std::string* why);

#endif  // TARNWICK_BASE_BOARD_LOCK_PLATFORM_H_
