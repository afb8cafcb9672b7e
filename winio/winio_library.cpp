#include "winio/winio_library.h"

#include <windows.h>

#include "winio/winio_functions.h"

namespace {

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
           "tarnwick-cli.exe, or use --sim DIR for the simulated board";
    return nullptr;
  }
  WinIoFunctions functions{};
  if (!Find(module, "InitializeWinIo", &functions.initialize) ||
      !Find(module, "ShutdownWinIo", &functions.shutdown) ||
      !Find(module, "GetPortVal", &functions.get) ||
      !Find(module, "SetPortVal", &functions.set)) {
    *why = PathForDisplay(path) +
           " lacks InitializeWinIo, ShutdownWinIo, GetPortVal or SetPortVal";
    ::FreeLibrary(module);
    return nullptr;
  }
  return std::make_unique<WinIoFunctionsPort>(functions);
}
