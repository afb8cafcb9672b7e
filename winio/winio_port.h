#ifndef TARNWICK_WINIO_WINIO_PORT_H_
#define TARNWICK_WINIO_WINIO_PORT_H_

#include "link/port_io.h"

// The port seam over the port-access library WINIO.dll beside the program:
// the real library drives real hardware, this project's own WINIO.dll is the
// simulated board. Never null; lives for the whole process.
PortIo* WinIoPort();

#endif  // TARNWICK_WINIO_WINIO_PORT_H_
