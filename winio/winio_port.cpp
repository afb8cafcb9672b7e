#include "winio/winio_port.h"

#include "winio/winio_api.h"
#include "winio/winio_functions.h"

PortIo* WinIoPort() {
  // The functions the program imports from WINIO.dll.
  static WinIoFunctionsPort port(
      {::InitializeWinIo, ::ShutdownWinIo, ::GetPortVal, ::SetPortVal});
  return &port;
}
