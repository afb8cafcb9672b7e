#ifndef TARNWICK_CLI_BATCH_REPORT_H_
#define TARNWICK_CLI_BATCH_REPORT_H_

#include <cstdint>
#include <optional>
#include <string>

#include "cli/cli.h"
#include "cli/image_input.h"
#include "cli/options.h"
#include "cli/progress_display.h"
#include "cli/run_report.h"
#include "production/batch_events.h"

// One board's production run as its operator and a program see it: on a
// terminal the current chip's progress, a line that stays for each chip
// ("chip 17: PASS serial 1017 (12.9 s) - 16 passed, 1 failed") and a bell
// at each result; the run's summary; and each of these as its event. Each
// board of a run has its own, called on the board's thread.
class BatchReport : public BatchEvents {
 public:
  // `board`: its name in events and lines; empty for a run's only board.
  // `part`: the run's part when it is settled before the first chip.
  BatchReport(const CliOptions& options, CliEnv& env, RunReport& report,
              const ImageInput& input, const Part* part, std::string board);

  // The run is waiting for its first chip.
  void Begin();

  // What the operator is told before each chip with --prompt.
  std::string Prompt() const;

  void OnChipInserted(const ChipEvent& chip) override;
  void OnChipRemoved(const ChipEvent& chip) override;
  void OnProgress(const Progress& step) override;
  void OnFailure(const ByteFailure& failure) override;
  void OnResult(const ChipResult& result) override;
  void OnWarning(const std::string& code, const std::string& text) override;
  void OnSummary(const BatchSummary& summary) override;

  // The run's exit code, once its summary is told: 0 when it ended as
  // asked (the count reached, the operator's end) with no chip failed, 1
  // when a chip failed, 2 when its records could not be written, the serial
  // numbers ran out or the first chip's part cannot take the image, 3 when
  // port access failed, 130 when stopped.
  int exit() const { return exit_; }

 private:
  void Event(const char* name, const EventFields& fields) {
    report_.Event(name, fields, board_);
  }
  // A line that stays: on standard output (standard error under --json).
  std::ostream& Line();
  // Tells the chip image the run writes on `part`, once.
  void TellImage(const Part* part);
  void Waiting();

  const CliOptions& o_;
  CliEnv& env_;
  RunReport& report_;
  const ImageInput& input_;
  const Part* const part_;
  const std::string board_;
  std::optional<ProgressDisplay> display_;
  bool image_told_ = false;
  uint32_t next_chip_ = 1;
  int exit_ = kExitOk;
};

#endif  // TARNWICK_CLI_BATCH_REPORT_H_
