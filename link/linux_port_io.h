#ifndef TARNWICK_LINK_LINUX_PORT_IO_H_
#define TARNWICK_LINK_LINUX_PORT_IO_H_

#include <cstdint>
#include <string>

#include "base/file.h"
#include "link/board_ports.h"
#include "link/port_io.h"

// The processor's port instructions and the privilege call, as a seam, so
// that tests never execute a port instruction.
class PortInstructions {
 public:
  virtual ~PortInstructions() = default;
  // ioperm: the calling thread's access to `count` ports from `from` on
  // (`on`) or off. 0, or the errno.
  virtual int SetPortAccess(uint16_t from, uint16_t count, bool on) = 0;
  virtual void OutLong(uint16_t port, uint32_t value) = 0;  // outl
  virtual void OutByte(uint16_t port, uint8_t value) = 0;   // outb
  virtual uint8_t InByte(uint16_t port) = 0;                // inb
};

// The real instructions: on x86 and x86-64 Linux with <sys/io.h> only, null
// elsewhere. Executing them needs CAP_SYS_RAWIO and a kernel not in
// lockdown mode.
PortInstructions* RealPortInstructions();

// Port access through the kernel's direct port I/O, to one board's ports
// only: ioperm opens the card's flash register (its four ports from
// kFlashRegister) and the parallel port's data register, then each access
// is one instruction. A 32-bit write is one outl, as the flash register
// needs one doubleword access; bytes use outb and inb. Accesses to any
// other port are refused without touching it.
//
// The permission belongs to the thread that obtained it (and to threads it
// starts afterwards): each board's thread opens its own board, and only
// its own, and closes it on the same thread. Several boards may so run side
// by side in one process, each thread barred from the others' ports.
class LinuxPortIo : public PortIo {
 public:
  // Drives the board at `ports`. `instructions` (may be null: every Open is
  // then refused) must outlive this. `root` is the folder the system's
  // files are read under when explaining a refusal ("/" in real use).
  LinuxPortIo(PortInstructions* instructions, const BoardPorts& ports,
              FilePath root = "/");
  // Releases the ports when they are still held.
  ~LinuxPortIo() override;

  LinuxPortIo(const LinuxPortIo&) = delete;
  LinuxPortIo& operator=(const LinuxPortIo&) = delete;

  // Opens the board's ports to this thread. On refusal returns false and
  // WhyRefused() says why and what to do; nothing stays open. True at once
  // when they are already open.
  bool Open() override;
  // Closes the board's ports when they are open; otherwise touches nothing.
  void Close() override;
  // One outb, one outl, one inb. Without the ports open, or for a port (or
  // a 32-bit write running onto one) not the board's: false, nothing
  // touched.
  bool Write8(uint16_t port, uint8_t value) override;
  bool Write32(uint16_t port, uint32_t value) override;
  bool Read8(uint16_t port, uint8_t* value) override;

  // Why the last Open failed and how to fix it, in plain English; empty
  // after a success.
  std::string WhyRefused() const override { return refusal_; }

 private:
  // Whether `count` ports from `port` on are all the board's.
  bool Mine(uint16_t port, uint32_t count) const;

  PortInstructions* instructions_;
  BoardPorts ports_;
  FilePath root_;
  bool held_ = false;
  std::string refusal_;
};

#endif  // TARNWICK_LINK_LINUX_PORT_IO_H_
