#ifndef TARNWICK_DETECT_PARALLEL_PORTS_H_
#define TARNWICK_DETECT_PARALLEL_PORTS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/file.h"

// A parallel port the kernel's parport driver holds.
struct ParallelPort {
  std::string name;  // "parport0"
  uint16_t data_register = 0;
};

// Every parportN in <root>/proc/ioports, in the order of N. A port
// usually holds several ranges there (the base registers, the EPP
// registers right after them, the ECP registers further on); its data
// register is the start of the range that another of its ranges directly
// follows, or else of its first range. An unreadable file, and ports
// whose addresses the kernel hides (shown as 0 to users other than root),
// are added to `*problems`.
std::vector<ParallelPort> FindParallelPorts(const FilePath& root,
                                            std::vector<std::string>* problems);

#endif  // TARNWICK_DETECT_PARALLEL_PORTS_H_
