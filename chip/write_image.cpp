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
  auto finish = [&] {
    for (const auto& entry : failures) report.failures.push_back(entry.second);
    return report;
  };

  if (plan.erase) {
    if (take(Erase(link, sink))) return finish();
    report.erased = true;
  }
  const OperationResult program =
      ProgramAndVerify(link, image, plan.program, chip.data(), sink);
  report.programmed = program.handled;
  report.skipped = size - static_cast<uint32_t>(plan.program.size());
  if (take(program) || !options.compare_at_end) return finish();
  take(Verify(link, image, size, sink));
  return finish();
}
