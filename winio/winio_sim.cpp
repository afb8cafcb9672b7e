// WINIO.dll as the simulated board: the four functions of the port-access
// library, answered by the board of winio/sim_library.h.
//
// - InitializeWinIo loads the board (if it is not yet) and opens port
//   access; it fails, saying why, when the board cannot be loaded or its
//   settings say that the driver does not start.
// - Port operations before the board is loaded fail; reads give 0xFF, as
//   floating data lines would.
// - The board is saved when port access is released and when the process
//   ends.

#include <windows.h>

#include <cstdint>
#include <mutex>

#include "winio/sim_library.h"
#include "winio/winio_api.h"

namespace {

// Created when the DLL is attached and never destroyed: threads may still
// call while the process ends.
SimLibrary* dll = nullptr;

}  // namespace

extern "C" bool __stdcall InitializeWinIo() {
  std::lock_guard<std::mutex> lock(dll->mutex());
  BoardSession* session = dll->Board();
  if (session == nullptr) return false;
  if (!session->settings().driver_starts) {
    dll->Report("the driver did not start (driver = fails in simboard.ini)");
    return false;
  }
  const bool ok = session->board().Open();
  dll->Counted();
  return ok;
}

extern "C" void __stdcall ShutdownWinIo() {
  std::lock_guard<std::mutex> lock(dll->mutex());
  BoardSession* session = dll->Loaded();
  if (session == nullptr) return;
  session->board().Close();
  dll->Save();
}

extern "C" bool __stdcall GetPortVal(WORD wPortAddr, PDWORD pdwPortVal,
                                     BYTE bSize) {
  std::lock_guard<std::mutex> lock(dll->mutex());
  if (pdwPortVal == nullptr) return false;
  BoardSession* session = dll->Loaded();
  if (session == nullptr) {
    *pdwPortVal = 0xFF;
    return false;
  }
  // The board has only 1-byte reads; other sizes read floating lines.
  uint8_t value = 0xFF;
  const bool ok = bSize == 1 && session->board().Read8(wPortAddr, &value);
  *pdwPortVal = value;
  dll->Counted();
  return ok;
}

extern "C" bool __stdcall SetPortVal(WORD wPortAddr, DWORD dwPortVal,
                                     BYTE bSize) {
  std::lock_guard<std::mutex> lock(dll->mutex());
  BoardSession* session = dll->Loaded();
  if (session == nullptr) return false;
  // The board has 1-byte and 4-byte registers; other sizes reach none.
  SimBoard& board = session->board();
  const uint8_t byte = static_cast<uint8_t>(dwPortVal);
  const bool ok = (bSize == 1 && board.Write8(wPortAddr, byte)) ||
                  (bSize == 4 && board.Write32(wPortAddr, dwPortVal));
  dll->Counted();
  return ok;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    dll = new SimLibrary(module, "WINIO.dll");
  } else if (reason == DLL_PROCESS_DETACH && dll != nullptr) {
    // When the process ends, its other threads are already gone, perhaps
    // inside a call holding the lock; the board's state is then only saved
    // if the lock is free, never waited for.
    if (dll->mutex().try_lock()) {
      dll->Save();
      dll->mutex().unlock();
    }
  }
  return TRUE;
}
