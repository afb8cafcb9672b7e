#ifndef TARNWICK_BASE_BOARD_LOCK_PLATFORM_H_
#define TARNWICK_BASE_BOARD_LOCK_PLATFORM_H_

#include <memory>
#include <string>

#include "base/board_lock.h"

// What BoardLock needs from each platform (board_lock_posix.cpp,
// board_lock_win32.cpp).

// The record a holder leaves beside its lock: its process id and command
// line, "1234\ntarnwick write a.bin".
std::string HolderRecord(unsigned long process_id);

// What a refused taker says of the holder whose record is `record` (empty
// or malformed when the holder left none).
std::string HolderText(const std::string& record);

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

// Whether a process holds the resource `name` now, found without taking
// it; when one does, *record is the record it left (perhaps empty).
bool ResourceHeld(const std::string& name, std::string* record);

#endif  // TARNWICK_BASE_BOARD_LOCK_PLATFORM_H_
