#ifndef TARNWICK_LINK_TRACING_PORT_H_
#define TARNWICK_LINK_TRACING_PORT_H_

#include <cstdint>

#include "base/clock.h"
#include "link/port_io.h"
#include "link/trace.h"

// A port seam that passes every operation on to another (the simulated
// board or real hardware) and adds it to a trace, stamped with `clock`'s
// time: "out C0D4 <- A500C123 (4)", "in C0D7 -> A5 (1)", "open", "close",
// and "refused" after an operation the inner seam refused. With a
// TracingClock on the same trace for the sleeps, the trace shows a run's
// port accesses and sleeps in order, for checking a board's wiring.
class TracingPort : public PortIo {
 public:
  // `inner`, `clock` and `trace` must outlive this port.
  TracingPort(PortIo* inner, Clock* clock, Trace* trace)
      : inner_(inner), clock_(clock), trace_(trace) {}

  bool Open() override;
  void Close() override;
  std::string WhyRefused() const override { return inner_->WhyRefused(); }
  bool Write8(uint16_t port, uint8_t value) override;
  bool Write32(uint16_t port, uint32_t value) override;
  bool Read8(uint16_t port, uint8_t* value) override;

 private:
  void Add(const std::string& text, bool ok);

  PortIo* inner_;
  Clock* clock_;
  Trace* trace_;
};

#endif  // TARNWICK_LINK_TRACING_PORT_H_
