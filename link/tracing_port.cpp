#include "link/tracing_port.h"

#include "base/format.h"

void TracingPort::Add(const std::string& text, bool ok) {
  trace_->AddAt(clock_->NowUs(), ok ? text : text + " refused");
}

bool TracingPort::Open() {
  const bool ok = inner_->Open();
  Add("open", ok);
  return ok;
}

void TracingPort::Close() {
  inner_->Close();
  Add("close", true);
}

bool TracingPort::Write8(uint16_t port, uint8_t value) {
  const bool ok = inner_->Write8(port, value);
  Add(Format("out %X <- %X (1)", unsigned{port}, unsigned{value}), ok);
  return ok;
}

bool TracingPort::Write32(uint16_t port, uint32_t value) {
  const bool ok = inner_->Write32(port, value);
  Add(Format("out %X <- %X (4)", unsigned{port}, unsigned{value}), ok);
  return ok;
}

bool TracingPort::Read8(uint16_t port, uint8_t* value) {
  const bool ok = inner_->Read8(port, value);
  Add(Format("in %X -> %X (1)", unsigned{port}, unsigned{*value}), ok);
  return ok;
}
