#ifndef TARNWICK_LINK_PORT_IO_REFUSAL_H_
#define TARNWICK_LINK_PORT_IO_REFUSAL_H_

#include <string>

#include "base/file.h"

// Explains why the kernel refused ioperm with the errno `error`, and how to
// fix it, in plain English. For EPERM it reads, under `root`:
// proc/self/status (the effective user and whether CAP_SYS_RAWIO is held)
// and sys/kernel/security/lockdown (the lockdown mode, the bracketed word
// of e.g. "none [integrity] confidentiality"). What cannot be read is
// offered only as a possible cause. Other errno values give the system's
// text alone.
std::string PortIoRefusalText(int error, const FilePath& root);

#endif  // TARNWICK_LINK_PORT_IO_REFUSAL_H_
