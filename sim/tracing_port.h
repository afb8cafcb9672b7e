#ifndef TARNWICK_SIM_TRACING_PORT_H_
#define TARNWICK_SIM_TRACING_PORT_H_

#include <cstdint>

#include "base/clock.h"
#include "link/port_io.h"
#include "sim/trace.h"

// A port seam that passes every operation on to another (the simulated
// board or real hardware) and adds it to a trace, stamped with `clock`'s
// time: "out C0D4 <- A500C123 (4)", "in C0D7 -> A5", "InitializeWinIo",
// and "refused" after an operation the inner seam refused. With a
// TracingClock on the same trace for the sleeps, the trace shows a run's
// port accesses and sleeps in order, for checking a board's wiring.
class TracingPort : public PortIo {
 public:
  // `inner`, `clock` and `trace` must outlive this port.
  TracingPort(PortIo* inner, Clock* clock, Trace* trace)
      : inner_(inner), clock_(clock), trace_(trace) {}

  bool InitializeWinIo() override;
  std::string WhyRefused() const override { return inner_->WhyRefused(); }
  void ShutdownWinIo() override;
  bool SetPortVal(uint16_t port, uint32_t value, int size) override;
  bool GetPortVal(uint16_t port, uint32_t* value, int size) override;

 private:
  void Add(const std::string& text, bool ok);

  PortIo* inner_;
  Clock* clock_;
  Trace* trace_;
};

#endif  // TARNWICK_SIM_TRACING_PORT_H_
