// Platforms without x86 port instructions reachable from user space
// (other processors, Windows): there are none.
#include "link/linux_port_io.h"

PortInstructions* RealPortInstructions() { return nullptr; }
