#ifndef TARNWICK_LINK_LINUX_PORT_IO_H_
#define TARNWICK_LINK_LINUX_PORT_IO_H_

#include <cstdint>
#include <string>

#include "base/file.h"
#include "link/port_io.h"

// The processor's port instructions and the privilege call, as a seam, so
// that tests never execute a port instruction.
class PortInstructions {
 public:
  virtual ~PortInstructions() = default;
  // iopl with privilege `level`: 0, or the errno.
  virtual int SetIoPrivilegeLevel(int level) = 0;
  virtual void OutLong(uint16_t port, uint32_t value) = 0;  // outl
  virtual void OutByte(uint16_t port, uint8_t value) = 0;   // outb
  virtual uint8_t InByte(uint16_t port) = 0;                // inb
};

// The real instructions: on x86 and x86-64 Linux with <sys/io.h> only, null
// elsewhere. Executing them needs CAP_SYS_RAWIO and a kernel not in
// lockdown mode.
PortInstructions* RealPortInstructions();

// Port access through the kernel's direct port I/O: iopl at level 3, which
// opens every port (ioperm reaches only 0-3FF, and the card's registers lie
// far above), then one instruction per access. A 32-bit write is one outl, as
// the flash register needs one doubleword access; bytes use outb and inb.
//
// The I/O privilege belongs to the thread that obtained it and to threads
// it starts afterwards: call Open before starting the threads that access
// ports, and Close on the same thread.
class LinuxPortIo : public PortIo {
 public:
  // `instructions` (may be null: every Open is then refused) must
  // outlive this. `root` is the folder the system's files are read under
  // when explaining a refusal ("/" in real use).
  explicit LinuxPortIo(PortInstructions* instructions, FilePath root = "/");
  // Releases the privilege when it is still held.
  ~LinuxPortIo() override;

  LinuxPortIo(const LinuxPortIo&) = delete;
  LinuxPortIo& operator=(const LinuxPortIo&) = delete;

  // iopl at level 3. On refusal returns false and WhyRefused() says why and
  // what to do. True at once when the privilege is already held.
  bool Open() override;
  // Back to level 0 when the privilege is held; otherwise touches nothing.
  void Close() override;
  // One outb, one outl, one inb. Without the privilege, or for a 32-bit
  // write running past port FFFF: false, nothing touched.
  bool Write8(uint16_t port, uint8_t value) override;
  bool Write32(uint16_t port, uint32_t value) override;
  bool Read8(uint16_t port, uint8_t* value) override;

  // Why the last Open failed and how to fix it, in plain English; empty
  // after a success.
  std::string WhyRefused() const override { return refusal_; }

 private:
  PortInstructions* instructions_;
  FilePath root_;
  bool held_ = false;
  std::string refusal_;
};

#endif  // TARNWICK_LINK_LINUX_PORT_IO_H_
