#ifndef TARNWICK_LINK_PORT_IO_H_
#define TARNWICK_LINK_PORT_IO_H_

#include <cstdint>
#include <string>

// The port-access seam: the four operations of the port-access library
// (WinIo) as the program uses them. Implemented by the WINIO.dll client on
// Windows, by the simulated board, and by recording fakes in tests.
class PortIo {
 public:
  virtual ~PortIo() = default;

  // Obtains direct port access for the process. True on success.
  virtual bool InitializeWinIo() = 0;

  // After a refused InitializeWinIo: why, and what to do about it, when
  // the backend knows (empty otherwise).
  virtual std::string WhyRefused() const { return std::string(); }

  // Releases what InitializeWinIo obtained; harmless when nothing is held.
  virtual void ShutdownWinIo() = 0;

  // Writes the low `size` bytes (1 or 4) of `value` to `port` as one access.
  virtual bool SetPortVal(uint16_t port, uint32_t value, int size) = 0;

  // Reads `size` bytes (the program always reads 1) from `port` into
  // `*value`, zero-extended.
  virtual bool GetPortVal(uint16_t port, uint32_t* value, int size) = 0;
};

#endif  // TARNWICK_LINK_PORT_IO_H_
