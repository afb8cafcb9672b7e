#ifndef TARNWICK_LINK_RECORDING_PORT_H_
#define TARNWICK_LINK_RECORDING_PORT_H_

#include <cstdint>
#include <deque>
#include <string>

#include "base/clock.h"
#include "base/format.h"
#include "link/port_io.h"

// A port-access fake for tests: writes every operation into `log`,
// interleaved with the sleeps of the clock it also is, and answers reads
// from a script. The log is one line of words: "378<-3" (a write, with
// ":4" added for other sizes than 1), "C0D7->5A" (a read), "s1" (a sleep
// of 1 ms), "init" and "shutdown".
class RecordingPort : public PortIo, public Clock {
 public:
  // Values the next reads return, in order; then `default_read`.
  std::deque<uint32_t> reads;
  uint32_t default_read = 0xFF;
  std::string log;

  bool InitializeWinIo() override {
    Add("init");
    return true;
  }
  void ShutdownWinIo() override { Add("shutdown"); }
  bool SetPortVal(uint16_t port, uint32_t value, int size) override {
    Add(Format("%X<-%X", unsigned{port}, unsigned{value}) + Size(size));
    return true;
  }
  bool GetPortVal(uint16_t port, uint32_t* value, int size) override {
    *value = reads.empty() ? default_read : reads.front();
    if (!reads.empty()) reads.pop_front();
    Add(Format("%X->%X", unsigned{port}, unsigned{*value}) + Size(size));
    return true;
  }
  void SleepMs(uint32_t ms) override { Add(Format("s%u", unsigned{ms})); }
  uint64_t NowUs() override { return 0; }  // the link only sleeps

 private:
  void Add(const std::string& word) { log += (log.empty() ? "" : " ") + word; }
  static std::string Size(int size) {
    return size == 1 ? "" : Format(":%d", size);
  }
};

#endif  // TARNWICK_LINK_RECORDING_PORT_H_
