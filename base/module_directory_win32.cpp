#include "base/module_directory_win32.h"

#include <string>

FilePath ModuleDirectory(HMODULE module) {
  std::wstring path(32768, L'\0');
  const DWORD n = ::GetModuleFileNameW(module, &path[0],
                                       static_cast<DWORD>(path.size()));
  path.resize(n);
  return FilePath(path.substr(0, path.rfind(L'\\')));
}
