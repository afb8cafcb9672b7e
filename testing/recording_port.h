#ifndef TARNWICK_TESTING_RECORDING_PORT_H_
#define TARNWICK_TESTING_RECORDING_PORT_H_

#include <cstdint>
#include <deque>
#include <string>

#include "base/clock.h"
#include "base/format.h"
#include "link/port_io.h"

// A port seam and clock that log every call as a word: "378<-3" (8-bit
// write), "C0D4<-A500C123:4" (32-bit), "C0D7->5A" (read), "s1" (a 1 ms
// sleep). Reads answer from `reads`, then `default_read`.
struct RecordingPort : PortIo, Clock {
  std::deque<uint8_t> reads;
  uint8_t default_read = 0xFF;
  std::string log;

  bool Open() override { return true; }
  void Close() override {}
  bool Write8(uint16_t port, uint8_t value) override {
    return Add(Format("%X<-%X", unsigned{port}, unsigned{value}));
  }
  bool Write32(uint16_t port, uint32_t value) override {
    return Add(Format("%X<-%X:4", unsigned{port}, unsigned{value}));
  }
  bool Read8(uint16_t port, uint8_t* value) override {
    *value = reads.empty() ? default_read : reads.front();
    if (!reads.empty()) reads.pop_front();
    return Add(Format("%X->%X", unsigned{port}, unsigned{*value}));
  }
  void SleepMs(uint32_t ms) override { Add(Format("s%u", unsigned{ms})); }
  uint64_t NowUs() override { return 0; }
  bool Add(const std::string& word) {
    log += (log.empty() ? "" : " ") + word;
    return true;
  }
  // How many calls logged `word`.
  int Count(const std::string& word) const {
    int n = 0;
    for (size_t at = log.find(word); at != std::string::npos;
         at = log.find(word, at + 1))
      ++n;
    return n;
  }
};

#endif  // TARNWICK_TESTING_RECORDING_PORT_H_
