#include "link/line_check.h"

std::vector<LineStep> LineCheckSteps(bool voltage) {
  std::vector<LineStep> steps;
  for (int bit = 0; bit < 16; ++bit) {
    steps.push_back({bit < 14 ? LineGroup::kAddress : LineGroup::kMode, bit,
                     1u << bit, kControlAtRest});
  }
  for (int line = 0; line < 8; ++line)
    steps.push_back({LineGroup::kData, line, 1u << (24 + line), kControlAtRest});
  // Each control line at its other level: bit 0 up, the strobe (bit 1)
  // down, the voltage (bit 2) up.
  const uint8_t values[] = {3, 0, 6};
  for (int bit = 0; bit < (voltage ? 3 : 2); ++bit)
    steps.push_back({LineGroup::kControl, bit, 0, values[bit]});
  return steps;
}

DataLineState DataReadBack::StateOf(int line) const {
  const DataLineReads& high = released[line];
  const DataLineReads& low = pulled_low[line];
  if (high.changes != 0 || low.changes != 0) return DataLineState::kChanging;
  const bool one_released = high.ones != 0;
  const bool one_pulled_low = low.ones != 0;
  if (one_released && !one_pulled_low) return DataLineState::kSteady;
  if (one_released) return DataLineState::kHeldHigh;
  return one_pulled_low ? DataLineState::kInverted : DataLineState::kHeldLow;
}

LineCheck::LineCheck(PortIo* port, Clock* clock, BoardPorts ports)
    : port_(port), clock_(clock), ports_(ports) {}

LineCheck::~LineCheck() {
  if (!at_rest_) Rest();
}

void LineCheck::Write8(uint16_t port, uint8_t value) {
  if (!port_->Write8(port, value)) ++refused_;
}

void LineCheck::Write32(uint16_t port, uint32_t value) {
  if (!port_->Write32(port, value)) ++refused_;
}

void LineCheck::Hold(const LineStep& step) {
  at_rest_ = false;
  Write8(ports_.epp_port, kControlAtRest);
  Write32(ports_.Card(kFlashRegister), step.flash);
  if (step.control != kControlAtRest) Write8(ports_.epp_port, step.control);
}

void LineCheck::ReadSeries(uint32_t reads, DataLineReads* lines) {
  uint8_t before = 0;
  for (uint32_t n = 0; n < reads; ++n) {
    uint8_t value = 0xFF;
    if (!port_->Read8(ports_.Card(kDataByte), &value)) ++refused_;
    for (int line = 0; line < 8; ++line) {
      lines[line].ones += (value >> line) & 1;
      lines[line].changes += n > 0 && ((value ^ before) >> line & 1);
    }
    before = value;
    clock_->SleepMs(1);
  }
}

DataReadBack LineCheck::ReadBack(uint32_t reads) {
  DataReadBack result;
  result.reads = reads;
  at_rest_ = false;
  Write8(ports_.epp_port, kControlAtRest);
  Write32(ports_.Card(kFlashRegister), 0xFF000000u);
  ReadSeries(reads, result.released);
  Write32(ports_.Card(kFlashRegister), 0);
  ReadSeries(reads, result.pulled_low);
  Rest();
  return result;
}

void LineCheck::Rest() {
  Write8(ports_.epp_port, kControlAtRest);
  Write32(ports_.Card(kFlashRegister), kFlashAtRest);
  at_rest_ = true;
}
