#include "winio/winio_library.h"

#include <windows.h>

namespace {

using InitializeFn = bool(__stdcall*)();
using ShutdownFn = void(__stdcall*)();
using GetPortValFn = bool(__stdcall*)(WORD, PDWORD, BYTE);
using SetPortValFn = bool(__stdcall*)(WORD, DWORD, BYTE);

class WinIoLibrary : public PortIo {
 public:
  InitializeFn initialize = nullptr;
  ShutdownFn shutdown = nullptr;
  GetPortValFn get = nullptr;
  SetPortValFn set = nullptr;

  bool InitializeWinIo() override { return initialize(); }
  void ShutdownWinIo() override { shutdown(); }
  bool SetPortVal(uint16_t port, uint32_t value, int size) override {
    return set(port, value, static_cast<BYTE>(size));
  }
  bool GetPortVal(uint16_t port, uint32_t* value, int size) override {
    DWORD read = 0;
    const bool ok = get(port, &read, static_cast<BYTE>(size));
    *value = read;
    return ok;
  }
};

template <typename Fn>
bool Find(HMODULE module, const char* name, Fn* fn) {
  *fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(::GetProcAddress(module, name)));
  return *fn != nullptr;
}

}  // namespace

std::unique_ptr<PortIo> LoadWinIoLibrary(const FilePath& folder,
                                         std::string* why) {
  const FilePath path = folder / "WINIO.dll";
  HMODULE module = ::LoadLibraryW(path.c_str());
  if (module == nullptr) {
    *why = "cannot load " + PathForDisplay(path) +
           ": put the port-access WINIO.dll (and its driver) beside "
           "tarnwick.exe, or use --sim DIR for the simulated board";
    return nullptr;
  }
  auto library = std::make_unique<WinIoLibrary>();
  if (!Find(module, "InitializeWinIo", &library->initialize) ||
      !Find(module, "ShutdownWinIo", &library->shutdown) ||
      !Find(module, "GetPortVal", &library->get) ||
      !Find(module, "SetPortVal", &library->set)) {
    *why = PathForDisplay(path) +
           " lacks InitializeWinIo, ShutdownWinIo, GetPortVal or SetPortVal";
    ::FreeLibrary(module);
    return nullptr;
  }
  return library;
}
