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
                       uint32_t size, WriteMode mode, ProgressSink& sink) {
  WriteReport report;
  std::vector<uint8_t> chip(size, 0xFF);
  WritePlan plan;
  if (mode == WriteMode::kNoErase) {
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
  // earlier.
  std::map<uint32_t, ByteFailure> failures;
  auto finish = [&](const OperationResult& step) {
    report.port_failed = report.port_failed || step.port_failed;
    for (const ByteFailure& f : step.failures) failures[f.address] = f;
    for (const auto& entry : failures) report.failures.push_back(entry.second);
    report.outcome = step.outcome;
    return report;
  };

  if (plan.erase) {
    const OperationResult erase = Erase(link, sink);
    if (erase.outcome == Outcome::kStopped || erase.port_failed)
      return finish(erase);
    report.erased = true;
  }
  const OperationResult program =
      ProgramAndVerify(link, image, plan.program, chip.data(), sink);
  report.programmed = program.handled;
  report.skipped = size - static_cast<uint32_t>(plan.program.size());
  for (const ByteFailure& f : program.failures) failures[f.address] = f;
  if (program.outcome == Outcome::kStopped || program.port_failed)
    return finish(program);
  return finish(Verify(link, image, size, sink));
}
