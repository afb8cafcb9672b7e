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

// The port seam over those functions, the one adaptor between the two:
// each call passes straight through, with the access size the library
// takes (1 or 4 bytes).
class WinIoFunctionsPort : public PortIo {
 public:
  explicit WinIoFunctionsPort(const WinIoFunctions& functions)
      : f_(functions) {}

  bool Open() override { return f_.initialize(); }
  void Close() override { f_.shutdown(); }
  bool Write8(uint16_t port, uint8_t value) override {
    return f_.set(port, value, 1);
  }
  bool Write32(uint16_t port, uint32_t value) override {
    return f_.set(port, value, 4);
  }
  bool Read8(uint16_t port, uint8_t* value) override {
    DWORD read = 0;
    const bool ok = f_.get(port, &read, 1);
    *value = static_cast<uint8_t>(read);
    return ok;
  }

 private:
  WinIoFunctions f_;
};

#endif  // TARNWICK_WINIO_WINIO_FUNCTIONS_H_
