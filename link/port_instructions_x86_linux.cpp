// The real port instructions, for x86 and x86-64 Linux. Built only where
// <sys/io.h> offers them; never run by a test.
#include <sys/io.h>

#include <cerrno>

#include "link/linux_port_io.h"

namespace {

class X86PortInstructions : public PortInstructions {
 public:
  int SetPortAccess(uint16_t from, uint16_t count, bool on) override {
    return ioperm(from, count, on ? 1 : 0) == 0 ? 0 : errno;
  }
  // <sys/io.h> takes the value first, then the port.
  void OutLong(uint16_t port, uint32_t value) override { outl(value, port); }
  void OutByte(uint16_t port, uint8_t value) override { outb(value, port); }
  uint8_t InByte(uint16_t port) override { return inb(port); }
};

}  // namespace

PortInstructions* RealPortInstructions() {
  static X86PortInstructions instructions;
  return &instructions;
}
