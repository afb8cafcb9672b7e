#ifndef TARNWICK_BASE_MODULE_DIRECTORY_WIN32_H_
#define TARNWICK_BASE_MODULE_DIRECTORY_WIN32_H_

#include <windows.h>

#include "base/file.h"

// The folder of a loaded module (null: the executable), as the system
// names it (wide text, any characters).
FilePath ModuleDirectory(HMODULE module);

#endif  // TARNWICK_BASE_MODULE_DIRECTORY_WIN32_H_
