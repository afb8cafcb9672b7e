#include "sim/tracing_port.h"

#include "base/format.h"

void TracingPort::Add(const std::string& text, bool ok) {
  trace_->AddAt(clock_->NowUs(), ok ? text : text + " refused");
}

bool TracingPort::InitializeWinIo() {
  const bool ok = inner_->InitializeWinIo();
  Add("InitializeWinIo", ok);
  return ok;
}

void TracingPort::ShutdownWinIo() {
  inner_->ShutdownWinIo();
  Add("ShutdownWinIo", true);
}

bool TracingPort::SetPortVal(uint16_t port, uint32_t value, int size) {
  const bool ok = inner_->SetPortVal(port, value, size);
  Add(Format("out %X <- %X (%d)", unsigned{port}, unsigned{value}, size), ok);
  return ok;
}

bool TracingPort::GetPortVal(uint16_t port, uint32_t* value, int size) {
  const bool ok = inner_->GetPortVal(port, value, size);
  Add(Format("in %X -> %X (%d)", unsigned{port}, unsigned{*value}, size), ok);
  return ok;
}
