// The port-access library InpOut (inpout32.dll, inpoutx64.dll) as the
// simulated board of winio/sim_library.h, exporting InpOut's functions
// under their plain names.
//
// - The real library opens its driver when loaded; this one loads the board
//   and opens port access at the first call of any function, unless the
//   board's settings say that the driver does not start: then
//   IsInpOutDriverOpen is FALSE and port operations reach nothing (reads
//   give all ones, as floating lines would).
// - The board has 1-byte registers and one 4-byte writable one: 16-bit
//   accesses and 32-bit reads reach nothing.
// - Port access is released and the board saved when the library is
//   unloaded, or the process ends.

#include <windows.h>

#include <cstdint>
#include <mutex>

#include "winio/inpout_api.h"
#include "winio/sim_library.h"

namespace {

SimLibrary* dll = nullptr;
bool opened = false;  // port access was opened (under the lock)

// The board with port access open; null when the driver does not start.
SimBoard* Ready() {
  BoardSession* session = dll->Board();
  if (session == nullptr || !session->settings().driver_starts) return nullptr;
  if (!opened) opened = session->board().Open();
  return &session->board();
}

void Write8(USHORT port, UCHAR value) {
  std::lock_guard<std::mutex> lock(dll->mutex());
  if (SimBoard* board = Ready()) {
    board->Write8(port, value);
    dll->Counted();
  }
}

UCHAR Read8(USHORT port) {
  std::lock_guard<std::mutex> lock(dll->mutex());
  uint8_t value = 0xFF;
  if (SimBoard* board = Ready()) {
    board->Read8(port, &value);
    dll->Counted();
  }
  return value;
}

}  // namespace

extern "C" BOOL __stdcall IsInpOutDriverOpen() {
  std::lock_guard<std::mutex> lock(dll->mutex());
  if (Ready() != nullptr) return TRUE;
  if (dll->Loaded() != nullptr)
    dll->Report("the driver did not start (driver = fails in simboard.ini)");
  return FALSE;
}

extern "C" BOOL __stdcall IsXP64Bit() {
  BOOL wow64 = FALSE;
  return sizeof(void*) == 8 ||
         (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

extern "C" void __stdcall Out32(SHORT PortAddress, SHORT data) {
  Write8(static_cast<USHORT>(PortAddress), static_cast<UCHAR>(data));
}

extern "C" SHORT __stdcall Inp32(SHORT PortAddress) {
  return Read8(static_cast<USHORT>(PortAddress));
}

extern "C" UCHAR __stdcall DlPortReadPortUchar(USHORT port) {
  return Read8(port);
}

extern "C" void __stdcall DlPortWritePortUchar(USHORT port, UCHAR Value) {
  Write8(port, Value);
}

extern "C" USHORT __stdcall DlPortReadPortUshort(USHORT) { return 0xFFFF; }

extern "C" void __stdcall DlPortWritePortUshort(USHORT, USHORT) {}

extern "C" ULONG __stdcall DlPortReadPortUlong(ULONG) { return 0xFFFFFFFF; }

extern "C" void __stdcall DlPortWritePortUlong(ULONG port, ULONG Value) {
  std::lock_guard<std::mutex> lock(dll->mutex());
  if (port > 0xFFFF) return;
  if (SimBoard* board = Ready()) {
    board->Write32(static_cast<uint16_t>(port), Value);
    dll->Counted();
  }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    dll = new SimLibrary(module, sizeof(void*) == 8 ? "inpoutx64.dll"
                                                    : "inpout32.dll");
  } else if (reason == DLL_PROCESS_DETACH && dll != nullptr) {
    // As the simulated WINIO.dll: saved only if the lock is free.
    if (dll->mutex().try_lock()) {
      if (opened && dll->Loaded() != nullptr) dll->Loaded()->board().Close();
      opened = false;
      dll->Save();
      dll->mutex().unlock();
    }
  }
  return TRUE;
}
