#include "chip/chip_operations.h"

#include <algorithm>

namespace {

// Counts the link's refused port calls over one operation.
class PortFailureWatch {
 public:
  explicit PortFailureWatch(const ProgrammerLink& link)
      : link_(link), before_(link.refused_accesses()) {}
  bool Failed() const { return link_.refused_accesses() != before_; }

 private:
  const ProgrammerLink& link_;
  uint32_t before_;
};

// Reads `address` up to kReadsPerPass times, stopping at the first read
// equal to `want`. Returns the last value read.
uint8_t ReadUntil(ProgrammerLink& link, uint32_t address, uint8_t want) {
  uint8_t value = 0;
  for (int read = 0; read < kReadsPerPass; ++read) {
    value = link.ReadCodeByte(address);
    if (value == want) break;
  }
  return value;
}

// Programs `data` at `address` and verifies it; true when it verified.
// Every value read goes to *read_back.
bool ProgramByte(ProgrammerLink& link, uint32_t address, uint8_t data,
                 uint8_t* read_back) {
  link.WriteCodeByte(address, data);
  for (int pass = 0; pass < kVerifyPasses; ++pass) {
    for (int read = 0; read < kReadsPerPass; ++read) {
      *read_back = link.ReadCodeByte(address);
      if (*read_back == data) return true;
    }
    link.WriteCodeByte(address, data);
  }
  return false;
}

}  // namespace

OperationResult ReadChip(ProgrammerLink& link, uint32_t first, uint32_t count,
                         uint8_t* out, ProgressSink& sink) {
  PortFailureWatch watch(link);
  OperationResult result;
  for (uint32_t n = 0; n < count; ++n) {
    if (sink.StopRequested()) {
      result.outcome = Outcome::kStopped;
      break;
    }
    const uint32_t address = first + n;
    out[n] = link.ReadCodeByte(address);
    ++result.handled;
    sink.OnProgress({Stage::kRead, address, n + 1, count, out[n]});
    link.clock()->SleepMs(0);
  }
  result.port_failed = watch.Failed();
  return result;
}

OperationResult ReadTwice(ProgrammerLink& link, uint32_t size,
                          const uint8_t* expected, uint8_t* out,
                          ProgressSink& sink, Stage stage) {
  PortFailureWatch watch(link);
  OperationResult result;
  std::vector<uint8_t> passes[2] = {std::vector<uint8_t>(size),
                                    std::vector<uint8_t>(size)};
  for (uint32_t pass = 0; pass < 2; ++pass) {
    for (uint32_t address = 0; address < size; ++address) {
      if (sink.StopRequested()) {
        result.outcome = Outcome::kStopped;
        result.port_failed = watch.Failed();
        return result;
      }
      const uint8_t value = link.ReadCodeByte(address);
      passes[pass][address] = value;
      sink.OnProgress({stage, address, pass * size + address + 1, 2 * size,
                       value});
      link.clock()->SleepMs(0);
    }
  }
  result.handled = size;
  for (uint32_t address = 0; address < size; ++address) {
    const uint8_t first = passes[0][address];
    if (first != passes[1][address]) {
      result.unstable.push_back({stage, address, first, passes[1][address]});
    } else if (expected != nullptr && first != expected[address]) {
      const ByteFailure failure{stage, address, expected[address], first};
      result.failures.push_back(failure);
      sink.OnFailure(failure);
    }
  }
  if (out != nullptr) std::copy(passes[0].begin(), passes[0].end(), out);
  result.port_failed = watch.Failed();
  return result;
}

OperationResult ProgramAndVerify(ProgrammerLink& link, const uint8_t* image,
                                 const std::vector<uint32_t>& addresses,
                                 uint8_t* read_back, ProgressSink& sink) {
  PortFailureWatch watch(link);
  OperationResult result;
  const uint32_t total = static_cast<uint32_t>(addresses.size());
  for (uint32_t address : addresses) {
    if (sink.StopRequested()) {
      result.outcome = Outcome::kStopped;
      break;
    }
    const uint8_t data = image[address];
    if (!ProgramByte(link, address, data, &read_back[address])) {
      const ByteFailure failure{Stage::kProgram, address, data,
                                 read_back[address]};
      result.failures.push_back(failure);
      sink.OnFailure(failure);
    }
    ++result.handled;
    sink.OnProgress(
        {Stage::kProgram, address, result.handled, total, read_back[address]});
    link.clock()->SleepMs(0);
  }
  result.port_failed = watch.Failed();
  return result;
}

OperationResult Verify(ProgrammerLink& link, const uint8_t* image,
                       uint32_t size, ProgressSink& sink) {
  const Stage stage = Stage::kVerify;
  PortFailureWatch watch(link);
  OperationResult result;
  for (uint32_t address = 0; address < size; ++address) {
    if (sink.StopRequested()) {
      result.outcome = Outcome::kStopped;
      break;
    }
    const uint8_t value = ReadUntil(link, address, image[address]);
    if (value != image[address]) {
      const ByteFailure failure{stage, address, image[address], value};
      result.failures.push_back(failure);
      sink.OnFailure(failure);
    }
    ++result.handled;
    sink.OnProgress({stage, address, address + 1, size, value});
    link.clock()->SleepMs(0);
  }
  result.port_failed = watch.Failed();
  return result;
}

OperationResult Erase(ProgrammerLink& link, ProgressSink& sink) {
  PortFailureWatch watch(link);
  OperationResult result;
  if (sink.StopRequested()) {
    result.outcome = Outcome::kStopped;
    return result;
  }
  link.EraseChip();
  result.handled = 1;
  sink.OnProgress({Stage::kErase, 0, 1, 1, 0xFF});
  result.port_failed = watch.Failed();
  return result;
}

Signature ReadSignature(ProgrammerLink& link) {
  Signature s;
  s.at32 = link.ReadSignatureByte(0x32);
  s.at31 = link.ReadSignatureByte(0x31);
  s.at30 = link.ReadSignatureByte(0x30);
  return s;
}
