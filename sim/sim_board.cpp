#include "sim/sim_board.h"

#include <algorithm>

#include "base/format.h"

namespace {

// A length of time as milliseconds with three decimals, for messages.
struct Ms {
  explicit Ms(uint64_t us)
      : text(Format("%u.%03u ms", static_cast<unsigned>(us / 1000),
                    static_cast<unsigned>(us % 1000))) {}
  std::string text;
};

const char* Level(bool high) { return high ? "high" : "low"; }

}  // namespace

SimBoard::SimBoard(Clock* clock, const BoardSettings& settings)
    : clock_(clock), settings_(settings), flash_(settings.part->size, 0xFF) {}

bool SimBoard::Open() {
  std::lock_guard<std::mutex> lock(mutex_);
  TraceAt(clock_->NowUs(), "open");
  open_ = true;
  return true;
}

void SimBoard::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  TraceAt(clock_->NowUs(), "close");
  open_ = false;
}

bool SimBoard::Written(uint16_t port, uint32_t value, int size,
                       uint64_t now_us) {
  // Words only when someone reads them: every access goes through here.
  if (trace_ == nullptr && open_) return true;
  const std::string access = Format("out %X <- %X (%d)", unsigned{port},
                                    static_cast<unsigned>(value), size);
  TraceAt(now_us, access);
  if (!open_) Violation(now_us, access + " while port access is released");
  return open_;
}

bool SimBoard::Write32(uint16_t port, uint32_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t now = clock_->NowUs();
  if (!Written(port, value, 4, now)) return false;
  if (Decode(port, kFlashRegister)) {
    WriteLatch(value, now);
  } else {
    Violation(now, Format("out %X <- %X (4): no register of that size at "
                          "that port",
                          unsigned{port}, static_cast<unsigned>(value)));
  }
  return true;
}

bool SimBoard::Write8(uint16_t port, uint8_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t now = clock_->NowUs();
  if (!Written(port, value, 1, now)) return false;
  if (Decode(port, kAddressHighByte)) {
    WriteLatch((latch_ & 0xFFFF00FFu) | static_cast<uint32_t>(value) << 8, now);
  } else if (port == settings_.epp_port) {
    if (value > 7) {
      // The upper lines of the port are not wired; the low three still act.
      Violation(now, Format("control value %X sets bits above bit 2",
                            unsigned{value}));
    }
    WriteControl(value & 7, now);
  } else {
    Violation(now, Format("out %X <- %X (1): no register of that size at "
                          "that port",
                          unsigned{port}, unsigned{value}));
  }
  return true;
}

bool SimBoard::Read8(uint16_t port, uint8_t* value) {
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t now = clock_->NowUs();
  *value = 0xFF;
  if (!open_ || !Decode(port, kDataByte)) {
    TraceAt(now, Format("in %X -> FF (1)", unsigned{port}));
    Violation(now, Format(open_ ? "in %X (1): no readable register of that "
                                  "size at that port"
                                : "in %X (1) while port access is released",
                          unsigned{port}));
    return open_;
  }
  // The chip and the latched data byte both pull the lines: a wired AND.
  uint8_t lines =
      DataLines(ChipDrives(now) & static_cast<uint8_t>(latch_ >> 24));
  // Lines that never settle: every other read sees bit 0 flipped, and bit 1
  // is noise, so that no two reads agree and a settled read that gives up
  // returns something else each time.
  if (!settings_.lines_settle) {
    noise_ ^= noise_ << 13;
    noise_ ^= noise_ >> 17;
    noise_ ^= noise_ << 5;
    lines ^= static_cast<uint8_t>((data_reads_ & 1) | (noise_ & 2));
  }
  ++data_reads_;
  *value = lines;
  if (trace_ != nullptr)
    TraceAt(now, Format("in %X -> %X", unsigned{port}, unsigned{lines}));
  return true;
}

void SimBoard::WriteLatch(uint32_t latch, uint64_t now_us) {
  if (!(control_ & kStrobe)) {
    Violation(now_us, "flash access register written while the strobe is low");
  }
  latch_ = latch;
  // Each access of a flickering address in program memory counts.
  const uint16_t address =
      static_cast<uint16_t>(latch & (settings_.part->size - 1));
  if ((latch & 0x4000) && settings_.flicker.count(address))
    ++flicker_accesses_[address];
}

void SimBoard::WriteControl(uint8_t control, uint64_t now_us) {
  const uint8_t before = control_;
  control_ = control;
  const bool was_low = !(before & kStrobe);
  const bool now_low = !(control & kStrobe);
  const bool writing = now_us < busy_until_us_;
  auto since_pulse = [&] {
    return Ms(now_us - (busy_until_us_ - kByteWriteUs)).text;
  };
  if ((before & kVoltage) && !(control & kVoltage) && writing) {
    Violation(now_us, "programming voltage switched off " + since_pulse() +
                          " after the program pulse, while the chip is still "
                          "writing");
  }
  // The voltage and the mode line must be steady for the whole pulse,
  // including the writes that begin and end it.
  if ((was_low || now_low) && ((before ^ control) & (kVoltage | kModeLine0))) {
    Violation(now_us, Format("control %X -> %X changes the programming voltage "
                             "or mode line while the strobe is low",
                             static_cast<unsigned>(before),
                             static_cast<unsigned>(control)));
    pulse_ok_ = false;
    if (!was_low) return;  // this pulse never acts
  }
  if (!was_low && now_low) {
    pulse_ok_ = true;
    pulse_start_us_ = now_us;
    pulse_control_ = control;
    pulse_latch_ = latch_;
    if (!(control & kVoltage)) {
      Violation(now_us, "strobe pulse with the programming voltage off");
      pulse_ok_ = false;
    }
    if (writing) {
      Violation(now_us, "strobe pulse " + since_pulse() +
                            " after the program pulse, while the chip is "
                            "still writing");
      pulse_ok_ = false;
    }
  } else if (was_low && !now_low && pulse_ok_) {
    EndPulse(now_us);
  }
}

void SimBoard::EndPulse(uint64_t now_us) {
  pulse_ok_ = false;
  const bool mode14 = pulse_latch_ & 0x4000;
  const bool mode15 = pulse_latch_ & 0x8000;
  const bool mode0 = pulse_control_ & kModeLine0;
  if (mode14 && mode15 && mode0) {
    if (!settings_.chip_present) return;
    // Flash cells can only be cleared by programming.
    written_ = DataLines(static_cast<uint8_t>(pulse_latch_ >> 24));
    flash_[ChipAddress(pulse_latch_)] &= written_;
    busy_until_us_ = now_us + kByteWriteUs;
  } else if (!mode14 && !mode15 && !mode0) {
    const uint64_t length = now_us - pulse_start_us_;
    if (length < kMinEraseUs) {
      Violation(now_us, "erase pulse of " + Ms(length).text +
                            " is shorter than 10 ms; the chip was not erased");
      return;
    }
    if (!settings_.chip_present) return;
    std::fill(flash_.begin(), flash_.end(), 0xFF);
  } else {
    Violation(now_us, Format("strobe pulse with mode lines %s, %s and control "
                             "bit 0 %s selects neither program nor erase",
                             Level(mode14), Level(mode15), Level(mode0)));
  }
}

uint8_t SimBoard::ChipDrives(uint64_t now_us) const {
  if (!settings_.chip_present) return 0xFF;
  // The chip drives its data lines only with the strobe high, the voltage
  // off and control bit 0 low.
  if (control_ != kStrobe) return 0xFF;
  const bool mode14 = latch_ & 0x4000;
  const bool mode15 = latch_ & 0x8000;
  if (mode14 != mode15) return 0xFF;
  // Data polling: while writing, the chip answers with bit 7 inverted.
  if (now_us < busy_until_us_) return written_ ^ 0x80;
  const uint16_t address = ChipAddress(latch_);
  if (!mode14) {
    if (address < 0x30 || address > 0x32) return 0xFF;
    return settings_.signature[address - 0x30];
  }
  uint8_t byte = flash_[address];
  // A flickering address gives bit 0 flipped at every other access.
  const auto flicker = flicker_accesses_.find(address);
  if (flicker != flicker_accesses_.end())
    byte = static_cast<uint8_t>(byte ^ (flicker->second & 1));
  const auto stuck = settings_.stuck.find(address);
  if (stuck != settings_.stuck.end()) {
    byte = static_cast<uint8_t>((byte & ~stuck->second.zeros) |
                                stuck->second.ones);
  }
  return byte;
}

uint16_t SimBoard::ChipAddress(uint32_t latch) const {
  uint32_t lines = latch & 0x3FFF;
  const int* swapped = settings_.swapped_address_lines;
  if (swapped[0] >= 0) {
    const uint32_t a = 1u << swapped[0], b = 1u << swapped[1];
    if (((lines & a) != 0) != ((lines & b) != 0)) lines ^= a | b;
  }
  const HeldLine& held = settings_.stuck_address_line;
  if (held.line >= 0) {
    lines = held.high ? lines | 1u << held.line : lines & ~(1u << held.line);
  }
  // The address lines above the part's size do not reach it (bits 12 and
  // 13 for a 4 KB part, bit 13 for an 8 KB one).
  return static_cast<uint16_t>(lines & (settings_.part->size - 1));
}

uint8_t SimBoard::DataLines(uint8_t byte) const {
  const HeldLine& held = settings_.stuck_data_line;
  if (held.line < 0) return byte;
  const uint8_t bit = static_cast<uint8_t>(1u << held.line);
  return held.high ? byte | bit : byte & static_cast<uint8_t>(~bit);
}

void SimBoard::Violation(uint64_t now_us, const std::string& what) {
  violations_.push_back(what);
  TraceAt(now_us, "violation: " + what);
}

void SimBoard::TraceAt(uint64_t now_us, const std::string& text) {
  if (trace_ != nullptr) trace_->AddAt(now_us, text);
}

std::vector<uint8_t> SimBoard::Flash() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return flash_;
}

void SimBoard::SetFlash(const std::vector<uint8_t>& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  flash_.assign(settings_.part->size, 0xFF);
  std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), flash_.size()),
              flash_.begin());
}

void SimBoard::SetSettings(const BoardSettings& settings) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (settings.part->size != settings_.part->size)
    flash_.assign(settings.part->size, 0xFF);
  settings_ = settings;
}

std::vector<std::string> SimBoard::Violations() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return violations_;
}

void SimBoard::SetTrace(Trace* trace) {
  std::lock_guard<std::mutex> lock(mutex_);
  trace_ = trace;
}
