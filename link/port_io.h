#ifndef TARNWICK_LINK_PORT_IO_H_
#define TARNWICK_LINK_PORT_IO_H_

#include <cstdint>
#include <string>

// The port-access seam: direct I/O-port access as the chip cycles need it.
// Implemented by the Linux backend, by the adaptor over the Windows
// port-access library, by the simulated board, and by tracing wrappers and
// test fakes around any of them.
class PortIo {
 public:
  virtual ~PortIo() = default;

  // Obtains port access for the process. True on success.
  virtual bool Open() = 0;

  // Releases what Open obtained; harmless when nothing is held.
  virtual void Close() = 0;

  // After a refused Open: why, and what to do about it, when the backend
  // knows (empty otherwise).
  virtual std::string WhyRefused() const { return std::string(); }

  // One 8-bit or one 32-bit write of `value` to `port`. False when the
  // access was refused.
  virtual bool Write8(uint16_t port, uint8_t value) = 0;
  virtual bool Write32(uint16_t port, uint32_t value) = 0;

  // One 8-bit read from `port` into *value. False when refused.
  virtual bool Read8(uint16_t port, uint8_t* value) = 0;
};

#endif  // TARNWICK_LINK_PORT_IO_H_
