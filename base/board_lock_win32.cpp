#include <windows.h>

#include <cstring>

#include "base/board_lock_platform.h"
#include "base/format.h"

namespace {

// Room for the holder's record: its process id and command line, UTF-8.
constexpr DWORD kRecordBytes = 1024;

// A named mutex and, beside it, a named page holding the holder's record.
// A mutex belongs to the thread that took it, and is released (abandoned)
// when that thread or its process ends; so a lock is released by the
// thread that took it.
class MutexLock : public BoardLock {
 public:
  MutexLock(HANDLE mutex, HANDLE record) : mutex_(mutex), record_(record) {}
  ~MutexLock() override {
    ::ReleaseMutex(mutex_);
    ::CloseHandle(mutex_);
    if (record_ != nullptr) ::CloseHandle(record_);
  }

 private:
  HANDLE mutex_;
  HANDLE record_;
};

std::wstring Wide(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

// The record a holder left under `name`, or empty.
std::string ReadRecord(const std::wstring& name) {
  HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
  if (mapping == nullptr) return std::string();
  std::string text;
  if (const void* view =
          ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kRecordBytes)) {
    const char* bytes = static_cast<const char*>(view);
    text.assign(bytes, strnlen(bytes, kRecordBytes));
    ::UnmapViewOfFile(view);
  }
  ::CloseHandle(mapping);
  return text;
}

// Leaves this process's record under `name`; the page lives as long as the
// returned handle (null when it could not be made).
HANDLE WriteRecord(const std::wstring& name) {
  HANDLE mapping =
      ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                           kRecordBytes, name.c_str());
  if (mapping == nullptr) return nullptr;
  if (void* view = ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) {
    const std::string record = HolderRecord(::GetCurrentProcessId());
    std::memset(view, 0, kRecordBytes);
    std::memcpy(view, record.data(),
                record.size() < kRecordBytes ? record.size()
                                             : kRecordBytes - 1);
    ::UnmapViewOfFile(view);
  }
  return mapping;
}

}  // namespace

bool ResourceHeld(const std::string& name, std::string* record) {
  // The holder's record page lives exactly as long as its lock.
  for (const char* scope : {"Global\\", "Local\\"}) {
    *record = ReadRecord(Wide(scope + ("tarnwick-" + name)) + L"-holder");
    if (!record->empty()) return true;
  }
  return false;
}

TryLockResult TryLockResource(const std::string& name,
                              std::unique_ptr<BoardLock>* lock,
                              std::string* why) {
  // Global names reach programs of every session; where they may not be
  // made, the session's own names serve.
  std::wstring base = Wide("Global\\tarnwick-" + name);
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, base.c_str());
  if (mutex == nullptr && ::GetLastError() == ERROR_ACCESS_DENIED) {
    base = Wide("Local\\tarnwick-" + name);
    mutex = ::CreateMutexW(nullptr, FALSE, base.c_str());
  }
  if (mutex == nullptr) {
    *why = Format("cannot make the board's lock (system error %lu)",
                  ::GetLastError());
    return TryLockResult::kFailed;
  }
  const DWORD waited = ::WaitForSingleObject(mutex, 0);
  if (waited == WAIT_TIMEOUT) {
    ::CloseHandle(mutex);
    *why = HolderText(ReadRecord(base + L"-holder"));
    return TryLockResult::kHeld;
  }
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    *why = Format("cannot lock the board (system error %lu)",
                  ::GetLastError());
    ::CloseHandle(mutex);
    return TryLockResult::kFailed;
  }
  *lock = std::make_unique<MutexLock>(mutex, WriteRecord(base + L"-holder"));
  return TryLockResult::kTaken;
}

std::string BoardLock::ThisProcess() {
  const wchar_t* command = ::GetCommandLineW();
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, command, -1, nullptr, 0,
                                      nullptr, nullptr);
  if (n <= 1) return "?";
  std::string utf8(static_cast<size_t>(n - 1), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, command, -1, &utf8[0], n, nullptr,
                        nullptr);
  return utf8;
}
