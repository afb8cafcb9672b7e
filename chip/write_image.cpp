#include "chip/write_image.h"

#include <algorithm>
#include <map>

WritePlan PlanWrite(const uint8_t* chip, const uint8_t* image, uint32_t size) {
  WritePlan plan;
  bool reachable = true;
  for (uint32_t a = 0; a < size; ++a)
    reachable = reachable && (chip[a] & image[a]) == image[a];
  plan.erase = !reachable;
  for (uint32_t a = 0; a < size; ++a) {
    const uint8_t from = plan.erase ? 0xFF : chip[a];
    if (image[a] != from) plan.program.push_back(a);
  }
  return plan;
}

WriteReport WriteImage(ProgrammerLink& link, const uint8_t* image,
                       uint32_t size, const WriteOptions& options,
                       ProgressSink& sink) {
  WriteReport report;
  if (options.pause_ms > 0) link.clock()->SleepMs(options.pause_ms);
  std::vector<uint8_t> chip(size, 0xFF);
  WritePlan plan;
  if (options.mode == WriteMode::kNoErase) {
    for (uint32_t a = 0; a < size; ++a) plan.program.push_back(a);
  } else {
    const OperationResult read = ReadChip(link, 0, size, chip.data(), sink);
    report.port_failed = read.port_failed;
    if (read.outcome == Outcome::kStopped || read.port_failed) {
      report.outcome = read.outcome;
      report.not_reached = size;  // nothing was written
      return report;
    }
    plan = PlanWrite(chip.data(), image, size);
  }

  // Failures by address: a later record of one address replaces the
  // earlier. Each step's are taken in; the report is made at the end.
  std::map<uint32_t, ByteFailure> failures;
  auto take = [&](const OperationResult& step) {
    report.port_failed = report.port_failed || step.port_failed;
    for (const ByteFailure& f : step.failures) failures[f.address] = f;
    report.outcome = step.outcome;
    return step.outcome == Outcome::kStopped || step.port_failed;
  };
  // Counts each address once: failed, else as far as the plan got with it.
  // Before the erase the plan needs, nothing is reached.
  uint32_t handled = 0;  // of plan.program
  auto finish = [&] {
    enum : uint8_t { kLeft, kToProgram, kProgrammed };
    std::vector<uint8_t> state(size, plan.erase && !report.erased ? kToProgram
                                                                  : kLeft);
    for (size_t n = 0; n < plan.program.size(); ++n)
      state[plan.program[n]] = n < handled ? kProgrammed : kToProgram;
    for (uint32_t a = 0; a < size; ++a) {
      if (failures.count(a) != 0) continue;
      if (state[a] == kLeft) ++report.skipped;
      if (state[a] == kToProgram) ++report.not_reached;
      if (state[a] == kProgrammed) ++report.programmed;
    }
    if (handled < plan.program.size()) report.stopped_at = plan.program[handled];
    for (const auto& entry : failures) report.failures.push_back(entry.second);
    return report;
  };

  if (plan.erase) {
    if (take(Erase(link, sink))) return finish();
    report.erased = true;
  }
  const OperationResult program =
      ProgramAndVerify(link, image, plan.program, chip.data(), sink);
  handled = program.handled;
  if (take(program) || !options.compare_at_end) return finish();
  take(Verify(link, image, size, sink));
  return finish();
}
