#ifndef TARNWICK_WINIO_WINIO_FUNCTIONS_H_
#define TARNWICK_WINIO_WINIO_FUNCTIONS_H_

#include <windows.h>

#include "link/port_io.h"

// The four functions of a port-access library WINIO.dll, however they were
// reached: imported when the program was linked, or found at run time.
struct WinIoFunctions {
  bool(__stdcall* initialize)();
  void(__stdcall* shutdown)();
  bool(__stdcall* get)(WORD, PDWORD, BYTE);
  bool(__stdcall* set)(WORD, DWORD, BYTE);
};

// The port seam over those functions; each call passes straight through.
class WinIoFunctionsPort : public PortIo {
 public:
  explicit WinIoFunctionsPort(const WinIoFunctions& functions)
      : f_(functions) {}

  bool InitializeWinIo() override { return f_.initialize(); }
  void ShutdownWinIo() override { f_.shutdown(); }
  bool SetPortVal(uint16_t port, uint32_t value, int size) override {
    return f_.set(port, value, static_cast<BYTE>(size));
  }
  bool GetPortVal(uint16_t port, uint32_t* value, int size) override {
    DWORD read = 0;
    const bool ok = f_.get(port, &read, static_cast<BYTE>(size));
    *value = read;
    return ok;
  }

 private:
  WinIoFunctions f_;
};

#endif  // TARNWICK_WINIO_WINIO_FUNCTIONS_H_
