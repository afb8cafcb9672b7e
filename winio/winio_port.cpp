#include "winio/winio_port.h"

#include "winio/winio_api.h"

namespace {

// Passes each operation straight to WINIO.dll.
class WinIoClient : public PortIo {
 public:
  bool InitializeWinIo() override { return ::InitializeWinIo(); }

  void ShutdownWinIo() override { ::ShutdownWinIo(); }

  bool SetPortVal(uint16_t port, uint32_t value, int size) override {
    return ::SetPortVal(port, value, static_cast<BYTE>(size));
  }

  bool GetPortVal(uint16_t port, uint32_t* value, int size) override {
    DWORD read = 0;
    const bool ok = ::GetPortVal(port, &read, static_cast<BYTE>(size));
    *value = read;
    return ok;
  }
};

WinIoClient client;

}  // namespace

PortIo* WinIoPort() { return &client; }
