#ifndef TARNWICK_TESTING_RECORDING_INSTRUCTIONS_H_
#define TARNWICK_TESTING_RECORDING_INSTRUCTIONS_H_

#include <cstdint>
#include <string>

#include "base/format.h"
#include "link/linux_port_io.h"

// Port instructions that only log what they were asked to do:
// "ioperm+C0D4:4" (access on), "ioperm-378:1" (off), "outl C0D4 A500C123",
// "outb 378 3", "inb C0D7" (which reads 5A).
struct RecordingInstructions : PortInstructions {
  int ioperm_error = 0;  // what switching access on answers
  std::string log;

  int SetPortAccess(uint16_t from, uint16_t count, bool on) override {
    Add(Format("ioperm%c%X:%u", on ? '+' : '-', unsigned{from},
               unsigned{count}));
    return on ? ioperm_error : 0;
  }
  void OutLong(uint16_t port, uint32_t value) override {
    Add(Format("outl %X %X", unsigned{port}, unsigned{value}));
  }
  void OutByte(uint16_t port, uint8_t value) override {
    Add(Format("outb %X %X", unsigned{port}, unsigned{value}));
  }
  uint8_t InByte(uint16_t port) override {
    Add(Format("inb %X", unsigned{port}));
    return 0x5A;
  }
  void Add(const std::string& word) { log += (log.empty() ? "" : " ") + word; }
};

#endif  // TARNWICK_TESTING_RECORDING_INSTRUCTIONS_H_
