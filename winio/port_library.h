#ifndef TARNWICK_WINIO_PORT_LIBRARY_H_
#define TARNWICK_WINIO_PORT_LIBRARY_H_

#include <memory>
#include <string>

#include "base/file.h"
#include "link/port_io.h"

// The port-access library the command line drives real ports through,
// loaded at run time (a program linked to it could not start without it):
// one offering the WinIo API (WINIO.dll) or InpOut's (inpoutx64.dll for
// 64-bit programs, inpout32.dll for 32-bit ones), told apart by the
// functions it exports.

// InpOut's file name for this program's word size.
const char* InpOutLibraryName();

// Loads the library `name` (a file name in `folder`, or a path), or, when
// `name` is empty, the first of WINIO.dll and InpOutLibraryName() that is
// in `folder`, and starts its driver (InitializeWinIo; InpOut starts its
// own when loaded). On success *note names the library and its API; the
// port is then open, and Close stops the driver (InpOut: unloads the
// library), a later Open starting it again. Null, with *note saying why and
// what to do, when no library is there (naming those looked for and where
// to get them), it cannot be loaded, it lacks the functions, or it loaded
// but its driver did not start.
std::unique_ptr<PortIo> LoadPortLibrary(const FilePath& folder,
                                        const std::string& name,
                                        std::string* note);

#endif  // TARNWICK_WINIO_PORT_LIBRARY_H_
