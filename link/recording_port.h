#ifndef TARNWICK_LINK_RECORDING_PORT_H_
#define TARNWICK_LINK_RECORDING_PORT_H_

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "base/clock.h"
#include "link/port_io.h"

// A port-access fake for tests: records every operation, interleaved with
// the sleeps of the clock it wraps, and answers reads from a script.
class RecordingPort : public PortIo, public Clock {
 public:
  struct Event {
    enum Kind { kInit, kShutdown, kWrite, kRead, kSleep } kind;
    uint16_t port;
    uint32_t value;  // value written, value read, or sleep length in ms
    int size;
    bool operator==(const Event& o) const {
      return kind == o.kind && port == o.port && value == o.value &&
             size == o.size;
    }
  };

  static Event Write(uint16_t port, uint32_t value, int size) {
    return {Event::kWrite, port, value, size};
  }
  static Event Read(uint16_t port, uint32_t value) {
    return {Event::kRead, port, value, 1};
  }
  static Event Sleep(uint32_t ms) { return {Event::kSleep, 0, ms, 0}; }

  // Values the next reads return, in order; when used up, reads return
  // `default_read`.
  std::deque<uint32_t> reads;
  uint32_t default_read = 0xFF;
  std::vector<Event> events;
  uint64_t now_us = 0;

  bool InitializeWinIo() override {
    events.push_back({Event::kInit, 0, 0, 0});
    return true;
  }
  void ShutdownWinIo() override {
    events.push_back({Event::kShutdown, 0, 0, 0});
  }
  bool SetPortVal(uint16_t port, uint32_t value, int size) override {
    events.push_back(Write(port, value, size));
    return true;
  }
  bool GetPortVal(uint16_t port, uint32_t* value, int size) override {
    *value = default_read;
    if (!reads.empty()) {
      *value = reads.front();
      reads.pop_front();
    }
    events.push_back({Event::kRead, port, *value, size});
    return true;
  }
  void SleepMs(uint32_t ms) override {
    events.push_back(Sleep(ms));
    now_us += ms * 1000u;
  }
  uint64_t NowUs() override { return now_us; }

  // The recorded events of one kind, in order.
  std::vector<Event> Only(Event::Kind kind) const {
    std::vector<Event> out;
    for (const Event& e : events)
      if (e.kind == kind) out.push_back(e);
    return out;
  }
};

#endif  // TARNWICK_LINK_RECORDING_PORT_H_
