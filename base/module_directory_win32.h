#ifndef TARNWICK_BASE_MODULE_DIRECTORY_WIN32_H_
#define TARNWICK_BASE_MODULE_DIRECTORY_WIN32_H_

#include <windows.h>

#include <string>

// The folder of a loaded module (null: the executable), as GBK, ending in
// its separator.
std::string ModuleDirectory(HMODULE module);

#endif  // TARNWICK_BASE_MODULE_DIRECTORY_WIN32_H_
