#ifndef TARNWICK_WINIO_WINIO_LIBRARY_H_
#define TARNWICK_WINIO_WINIO_LIBRARY_H_

#include <memory>
#include <string>

#include "base/file.h"
#include "link/port_io.h"

// The port-access library WINIO.dll in `folder`, loaded at run time (a
// program that links it at build time cannot start without it). Null, with
// the reason in *why, when it is missing or lacks one of the four
// functions. The library stays loaded until the process ends.
std::unique_ptr<PortIo> LoadWinIoLibrary(const FilePath& folder,
                                         std::string* why);

#endif  // TARNWICK_WINIO_WINIO_LIBRARY_H_
