#include "cli/batch_command.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/format.h"
#include "cli/batch_report.h"
#include "cli/board_access.h"
#include "cli/image_input.h"
#include "cli/named_boards.h"
#include "cli/run_files.h"
#include "production/batch_run.h"
#include "production/chip_socket.h"
#include "production/journal.h"
#include "production/serial_allocator.h"
#include "sim/board_files.h"

namespace {

// What the boards of a run share: the image, the serial numbers and the
// journal; each board then runs on its own (BoardBatch).
class BatchCommand {
 public:
  BatchCommand(const CliOptions& options, CliEnv& env, RunReport& report)
      : o_(options), env_(env), report_(report) {}

  int Go();

  // The files of the run and of every board; each must be its own.
  std::vector<NamedFile> NamedFiles() const;
  // The journal, made (when asked for) by the first board to pass its
  // refusals, so that a run whose every board is refused makes none.
  // Returns the exit code, a failure told through the board's `report`.
  int OpenJournal(RunReport& report);
  // The setup of a board's run: the run's, with the board's name.
  BatchSetup SetupFor(const CliOptions& board) const;
  const ImageInput& input() const { return input_; }

 private:
  int CheckFiles();
  int OpenSerials();
  int RunBoards();

  const CliOptions& o_;
  CliEnv& env_;
  RunReport& report_;
  std::vector<NamedBoard> boards_;   // none when the run names none
  std::vector<CliOptions> each_;     // each board's options
  ImageInput input_;
  BatchSetup setup_;
  std::unique_ptr<SerialAllocator> serials_;
  std::mutex journal_mutex_;
  bool journal_tried_ = false;
  std::string journal_why_;
  std::unique_ptr<Journal> journal_;
  std::vector<std::optional<BatchSummary>> summaries_;
};

// One board's production run, on the board's thread.
class BoardBatch {
 public:
  BoardBatch(BatchCommand& run, const CliOptions& options, CliEnv& env,
             RunReport& report)
      : run_(run), o_(options), env_(env), report_(report),
        board_(options, env, report) {}

  // Returns the exit code; *summary is the run's when it ran.
  int Go(std::optional<BatchSummary>* summary) {
    int code = board_.ResolvePorts();
    if (code == kExitOk) code = board_.Open(true, run_.NamedFiles());
    if (code == kExitOk) code = run_.OpenJournal(report_);
    if (code == kExitOk) {
      board_.StartTrace();
      code = Run(summary);
    }
    return board_.Release(code);
  }

 private:
  bool Stopped() const { return board_.Stopped(); }
  int Run(std::optional<BatchSummary>* summary);

  BatchCommand& run_;
  const CliOptions& o_;
  CliEnv& env_;
  RunReport& report_;
  BoardAccess board_;
  BatchSetup setup_;  // made once the journal may be open
};

int BatchCommand::Go() {
  if (!o_.boards.empty()) {
    FilePath path;
    int code = LoadNamedBoards(o_, env_, report_, &path, &boards_);
    if (code == kExitOk) code = CheckSeveralBoards(o_, boards_.size(), report_);
    if (code != kExitOk) return code;
    EventFields listed = EventFields::array();
    for (const NamedBoard& b : boards_) {
      listed.push_back(BoardFields(b));
      each_.push_back(OptionsForBoard(o_, b));
    }
    report_.start()["boards"] = listed;
  } else {
    each_.push_back(o_);
  }
  summaries_.resize(each_.size());
  int code = CheckFiles();
  if (code == kExitOk) code = OpenSerials();
  if (code == kExitOk) code = RunBoards();
  return code;
}

std::vector<NamedFile> BatchCommand::NamedFiles() const {
  std::vector<NamedFile> files =
      RunFiles(o_.file, false,
               {{"--journal", o_.journal, true},
                {"--serial-file", o_.serial_file, true},
                {"--config", o_.config, false}},
               std::nullopt);
  for (const CliOptions& board : each_) {
    const std::vector<NamedFile> own =
        RunFiles("", false, {{"--trace", board.trace, true}}, board.sim_dir);
    files.insert(files.end(), own.begin(), own.end());
  }
  return files;
}

// No file named twice, the records and the traces writable, the image
// sound and with the checksums expected, the simulated boards' folders
// usable: for every board before any is touched.
int BatchCommand::CheckFiles() {
  std::string why;
  if (!EachFileItsOwn(NamedFiles(), &why))
    return report_.Error(kExitBadUsage, "file", why);
  const struct {
    const char* option;
    const std::optional<std::string>& path;
    bool replaced;
  } outputs[] = {{"--journal", o_.journal, false},
                 {"--serial-file", o_.serial_file, true}};
  for (const auto& output : outputs) {
    if (output.path &&
        !CanWriteFile(PathFromUtf8(*output.path), output.replaced, &why)) {
      return report_.Error(kExitBadUsage, "file",
                           "cannot write " + std::string(output.option) + " " +
                               *output.path + ": " + why);
    }
  }
  for (const CliOptions& board : each_) {
    if (board.trace && !CanWriteFile(PathFromUtf8(*board.trace), false, &why))
      return report_.Error(kExitBadUsage, "file",
                           "cannot write --trace " + *board.trace + ": " + why);
  }
  std::vector<const Part*> parts;
  const int code = LoadImageForChips(o_, env_, report_, &input_, &parts);
  if (code != kExitOk) return code;
  // The part named, or the one alone whose image has the checksums
  // expected, is the run's; otherwise each board's first chip's.
  setup_.part = parts.size() == 1 ? parts.front() : nullptr;
  for (const CliOptions& board : each_) {
    if (board.sim_dir && !PrepareBoardFolder(PathFromUtf8(*board.sim_dir),
                                             &why))
      return report_.Error(kExitBadUsage, "file", "--sim: " + why);
  }
  return kExitOk;
}

// Locks and reads the serial file, writing nothing, and checks the serial
// area against the image.
int BatchCommand::OpenSerials() {
  std::string why;
  if (o_.serial) {
    SerialFileSetup serial;
    serial.path = PathFromUtf8(*o_.serial_file);
    serial.start = o_.serial_start;
    serial.step = o_.serial_step;
    serial.last = LargestSerial(*o_.serial);
    serial.reuse_failed = o_.reuse_failed;
    serials_ = SerialAllocator::Open(serial, RealRecordFiles(), &why);
    if (serials_ == nullptr)
      return report_.Error(kExitBadUsage, "serial-file", why);
  }
  setup_.image = input_.image;
  setup_.serial = o_.serial;
  setup_.serials = serials_.get();
  if (!CheckBatch(setup_, &why))
    return report_.Error(kExitBadUsage, "serial-area", "--serial: " + why);
  if (o_.no_erase) setup_.write.mode = WriteMode::kNoErase;
  setup_.count = o_.count;
  setup_.clock = env_.clock;
  return kExitOk;
}

int BatchCommand::OpenJournal(RunReport& report) {
  if (!o_.journal) return kExitOk;
  std::lock_guard<std::mutex> hold(journal_mutex_);
  if (!journal_tried_) {
    journal_tried_ = true;
    journal_ = Journal::Open(PathFromUtf8(*o_.journal), RealRecordFiles(),
                             &journal_why_);
  }
  if (journal_ == nullptr)
    return report.Error(kExitBadUsage, "file",
                        "--journal " + *o_.journal + ": " + journal_why_);
  return kExitOk;
}

BatchSetup BatchCommand::SetupFor(const CliOptions& board) const {
  BatchSetup setup = setup_;
  setup.board = board.board;
  setup.journal = journal_.get();
  return setup;
}

// The boards' runs together: what they did, and how many chips an hour
// they made between them.
BatchSummary Combine(const std::vector<std::optional<BatchSummary>>& each) {
  BatchSummary all;
  uint64_t first = UINT64_MAX, last = 0;
  for (const std::optional<BatchSummary>& s : each) {
    if (!s) continue;
    all.counts.passed += s->counts.passed;
    all.counts.failed += s->counts.failed;
    all.counts.wrong_part += s->counts.wrong_part;
    all.counts.stopped += s->counts.stopped;
    all.next_serial = s->next_serial;
    if (s->counts.passed + s->counts.failed > 0) {
      first = std::min(first, s->first_chip_us);
      last = std::max(last, s->last_result_us);
    }
  }
  const uint32_t programmed = all.counts.passed + all.counts.failed;
  all.yield = programmed == 0 ? 0 : double(all.counts.passed) / programmed;
  if (programmed > 0 && last > first)
    all.chips_per_hour = programmed * 3600e6 / double(last - first);
  return all;
}

int BatchCommand::RunBoards() {
  if (boards_.empty()) {
    // The run's only board, unnamed, on this thread.
    return BoardBatch(*this, o_, env_, report_).Go(&summaries_[0]);
  }
  const std::vector<BoardEnd> ends = RunOnBoards(
      o_, env_, report_, boards_,
      [this](size_t n, const CliOptions& board, RunReport& board_report) {
        return BoardBatch(*this, board, env_, board_report)
            .Go(&summaries_[n]);
      });
  const int code = CombinedExit(ends);
  if (boards_.size() == 1) {
    for (const auto& member : ends[0].summary.items())
      report_.summary()[member.key()] = member.value();
    return code;
  }
  EventFields each = EventFields::array();
  for (size_t n = 0; n < ends.size(); ++n) {
    EventFields board = {{"board", boards_[n].name}, {"exit", ends[n].exit}};
    for (const auto& member : ends[n].summary.items())
      board[member.key()] = member.value();
    each.push_back(board);
  }
  BatchSummary all = Combine(summaries_);
  if (serials_ != nullptr) all.next_serial = serials_->FileNext();
  AddBatchTotals(all, &report_.summary());
  report_.summary()["boards"] = each;
  if (!o_.quiet || code != kExitOk) {
    report_.Out() << Format("batch on %zu boards: ", boards_.size())
                  << BatchTotalsWords(all) << "\n"
                  << "boards: " << BoardExitWords(boards_, ends) << "\n";
  }
  return code;
}

int BoardBatch::Run(std::optional<BatchSummary>* summary) {
  setup_ = run_.SetupFor(o_);
  setup_.stop = [this] { return Stopped(); };
  BatchReport events(o_, env_, report_, run_.input(), setup_.part);
  ProgrammerSession& session = board_.session();
  std::unique_ptr<ChipSocket> socket;
  if (o_.prompt) {
    socket = std::make_unique<PromptedSocket>(
        &session,
        [this, &events] {
          report_.Err() << "tarnwick: " << events.Prompt() << "\n"
                        << std::flush;
          std::string line;
          return static_cast<bool>(std::getline(*env_.in, line)) && !Stopped();
        },
        setup_.stop, &events);
  } else {
    socket = std::make_unique<PollingSocket>(&session, env_.clock, setup_.stop,
                                             &events);
  }
  events.Begin();
  *summary = RunBatch(setup_, session, *socket, events);
  return events.exit();
}

}  // namespace

int RunBatchCommand(const CliOptions& options, CliEnv& env, RunReport& report) {
  return BatchCommand(options, env, report).Go();
}
