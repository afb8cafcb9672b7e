#include <windows.h>
#include <mmsystem.h>

#include "base/clock.h"

namespace {

// CreateWaitableTimerExW's flag for a timer that keeps to its due time
// whatever the system's tick (Windows 10 1803 and later).
constexpr DWORD kHighResolutionTimer = 0x00000002;

// A new high-resolution waitable timer; null where the system has none.
HANDLE MakeHighResolutionTimer() {
  using Create = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);
  // Looked up at run time: the call is not there before Vista.
  const auto create = reinterpret_cast<Create>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"),
                       "CreateWaitableTimerExW")));
  if (create == nullptr) return nullptr;
  return create(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
}

class Win32Clock : public Clock {
 public:
  Win32Clock() { ::QueryPerformanceFrequency(&frequency_); }

  // Never shorter than asked: a timer that fires early (or a Sleep cut
  // short) is followed by another wait for what is left. With neither a
  // high-resolution timer nor a raised resolution (FineClockResolution),
  // each wait lasts a whole system tick.
  void SleepMs(uint32_t ms) override {
    if (ms == 0) {
      ::Sleep(0);
      return;
    }
    const uint64_t until = NowUs() + uint64_t{ms} * 1000;
    HANDLE timer = ThreadTimer();
    for (uint64_t now = NowUs(); now < until; now = NowUs()) {
      const uint64_t left_us = until - now;
      if (timer != nullptr) {
        LARGE_INTEGER due;
        due.QuadPart = -static_cast<LONGLONG>(left_us * 10);  // 100 ns units
        if (::SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
          ::WaitForSingleObject(timer, INFINITE);
          continue;
        }
      }
      ::Sleep(static_cast<DWORD>((left_us + 999) / 1000));
    }
  }

  uint64_t NowUs() override {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    const uint64_t ticks = static_cast<uint64_t>(now.QuadPart);
    const uint64_t freq = static_cast<uint64_t>(frequency_.QuadPart);
    return ticks / freq * 1000000u + ticks % freq * 1000000u / freq;
  }

 private:
  // This thread's high-resolution timer; null where the system has none.
  static HANDLE ThreadTimer() {
    thread_local struct Timer {
      ~Timer() {
        if (handle != nullptr) ::CloseHandle(handle);
      }
      HANDLE handle = MakeHighResolutionTimer();
    } timer;
    return timer.handle;
  }

  LARGE_INTEGER frequency_;
};

// The calling thread at the highest priority of its process, and with
// `raise_tick` the system's timer at 1 ms, for as long as it lives.
class RaisedResolution : public ClockResolution {
 public:
  explicit RaisedResolution(bool raise_tick)
      : thread_(::GetCurrentThread()),
        priority_(::GetThreadPriority(thread_)),
        prioritised_(priority_ != THREAD_PRIORITY_ERROR_RETURN &&
                     ::SetThreadPriority(thread_,
                                         THREAD_PRIORITY_TIME_CRITICAL)),
        raised_(raise_tick && ::timeBeginPeriod(1) == TIMERR_NOERROR) {}
  ~RaisedResolution() override {
    if (raised_) ::timeEndPeriod(1);
    if (prioritised_) ::SetThreadPriority(thread_, priority_);
  }

 private:
  HANDLE thread_;  // the pseudo-handle: the thread that made it
  int priority_;
  bool prioritised_;
  bool raised_;
};

}  // namespace

Clock* RealClock() {
  static Win32Clock clock;
  return &clock;
}

std::unique_ptr<ClockResolution> HoldFineClockResolution() {
  // Where the real clock has a high-resolution timer, the system's tick is
  // left alone; elsewhere it is raised for the run.
  static const bool high_resolution = [] {
    HANDLE timer = MakeHighResolutionTimer();
    if (timer == nullptr) return false;
    ::CloseHandle(timer);
    return true;
  }();
  return std::make_unique<RaisedResolution>(!high_resolution);
}
