// WINIO.dll as the simulated board: the four functions of the port-access
// library, answered by a SimBoard on the real clock. The board's settings
// and chip live in files beside this DLL (sim/board_files.h), so a later run,
// and a test looking at the files, sees what was programmed.
//
// - The board is loaded by the first InitializeWinIo that succeeds. A
//   settings file or chip file that cannot be used makes InitializeWinIo
//   fail, with the reason on stderr and in the debugger output; nothing is
//   written then (the chip file is never replaced by a default chip), and
//   the next InitializeWinIo tries again.
// - Port operations before the board is loaded fail; reads give 0xFF, as
//   floating data lines would.
// - The chip file is written when port access is released and when the
//   process ends, each time only if the chip changed since it was loaded or
//   last written.
// - With a trace file in the settings, the trace is appended to it as the
//   board runs (in blocks), and what is held back at the same moments and
//   every kTraceFlushOps port operations in between.
// - Every call holds one lock, so the UI thread and worker threads may call
//   at any time.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/module_directory_win32.h"
#include "sim/board_session.h"
#include "winio/winio_api.h"

namespace {

constexpr int kTraceFlushOps = 65536;

struct SimDll {
  std::mutex mutex;
  HMODULE module = nullptr;
  // Null until loaded; lives until the process ends.
  std::unique_ptr<BoardSession> session;
  int ops_since_flush = 0;
};

// Created when the DLL is attached and never destroyed: threads may still
// call while the process ends.
SimDll* dll = nullptr;

void Report(const std::string& text) {
  const std::string line = "WINIO.dll (simulated board): " + text + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  OutputDebugStringA(line.c_str());
}

bool LoadBoard(SimDll& d) {
  if (d.session != nullptr) return true;
  const FilePath dir = ModuleDirectory(d.module);
  std::string error;
  d.session = BoardSession::Open(dir, RealClock(), &error);
  if (d.session == nullptr) {
    Report("cannot load the board from " + PathForDisplay(dir) + ": " + error);
    return false;
  }
  return true;
}

void FlushTrace(SimDll& d) {
  d.ops_since_flush = 0;
  std::string error;
  if (!d.session->FlushTrace(&error)) Report(error);
}

void SaveIfChanged(SimDll& d) {
  std::string error;
  if (!d.session->SaveChipIfChanged(&error)) Report(error);
}

void CountOperation(SimDll& d) {
  if (++d.ops_since_flush >= kTraceFlushOps) FlushTrace(d);
}

}  // namespace

extern "C" bool __stdcall InitializeWinIo() {
  std::lock_guard<std::mutex> lock(dll->mutex);
  if (!LoadBoard(*dll)) return false;
  const bool ok = dll->session->board().Open();
  CountOperation(*dll);
  return ok;
}

extern "C" void __stdcall ShutdownWinIo() {
  std::lock_guard<std::mutex> lock(dll->mutex);
  if (dll->session == nullptr) return;
  dll->session->board().Close();
  SaveIfChanged(*dll);
  FlushTrace(*dll);
}

extern "C" bool __stdcall GetPortVal(WORD wPortAddr, PDWORD pdwPortVal,
                                     BYTE bSize) {
  std::lock_guard<std::mutex> lock(dll->mutex);
  if (pdwPortVal == nullptr) return false;
  if (dll->session == nullptr) {
    *pdwPortVal = 0xFF;
    return false;
  }
  // The board has only 1-byte reads; other sizes read floating lines.
  uint8_t value = 0xFF;
  const bool ok =
      bSize == 1 && dll->session->board().Read8(wPortAddr, &value);
  *pdwPortVal = value;
  CountOperation(*dll);
  return ok;
}

extern "C" bool __stdcall SetPortVal(WORD wPortAddr, DWORD dwPortVal,
                                     BYTE bSize) {
  std::lock_guard<std::mutex> lock(dll->mutex);
  if (dll->session == nullptr) return false;
  // The board has 1-byte and 4-byte registers; other sizes reach none.
  SimBoard& board = dll->session->board();
  const uint8_t byte = static_cast<uint8_t>(dwPortVal);
  const bool ok = (bSize == 1 && board.Write8(wPortAddr, byte)) ||
                  (bSize == 4 && board.Write32(wPortAddr, dwPortVal));
  CountOperation(*dll);
  return ok;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    dll = new SimDll;
    dll->module = module;
  } else if (reason == DLL_PROCESS_DETACH && dll != nullptr) {
    // When the process ends, its other threads are already gone, perhaps
    // inside a call holding the lock; the board's state is then only saved
    // if the lock is free, never waited for.
    if (dll->mutex.try_lock()) {
      if (dll->session != nullptr) {
        SaveIfChanged(*dll);
        FlushTrace(*dll);
      }
      dll->mutex.unlock();
    }
  }
  return TRUE;
}
