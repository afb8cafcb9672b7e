#include "session/programmer_session.h"

#include <utility>

#include "sim/board_files.h"

namespace {

// Passes every step on, and writes each programming failure to the log.
class LoggingSink : public ProgressSink {
 public:
  LoggingSink(ProgressSink& inner, BadBlockLog& log)
      : inner_(inner), log_(log) {}

  void OnProgress(const Progress& progress) override {
    inner_.OnProgress(progress);
  }
  void OnFailure(const ByteFailure& failure) override {
    // The log lists what never verified when programmed; the final
    // comparison's failures are the caller's to tell.
    if (failure.stage == Stage::kProgram) log_.Failure(failure);
    inner_.OnFailure(failure);
  }
  bool StopRequested() override { return inner_.StopRequested(); }

 private:
  ProgressSink& inner_;
  BadBlockLog& log_;
};

// Brackets a chip operation on a simulated board: its socket is looked at
// before, and its chip saved after (a failure to save is told by Close,
// which tries again).
class SimulatedOperation {
 public:
  explicit SimulatedOperation(BoardSession* board) : board_(board) {
    if (board_ != nullptr) board_->LookAtSocket();
  }
  ~SimulatedOperation() {
    std::string ignored;
    if (board_ != nullptr) board_->SaveChipIfChanged(&ignored);
  }

 private:
  BoardSession* board_;
};

}  // namespace

ProgrammerSession::ProgrammerSession(PortIo* port, const Setup& setup)
    : ProgrammerSession(port, setup, nullptr) {}

ProgrammerSession::ProgrammerSession(PortIo* port, const Setup& setup,
                                     std::unique_ptr<BoardSession> board)
    : board_(std::move(board)),
      ports_(setup.ports),
      clock_(setup.clock),
      port_(port) {
  Clock* clock = setup.clock;
  if (setup.trace != nullptr) {
    tracing_port_ = std::make_unique<TracingPort>(port, clock, setup.trace);
    tracing_clock_ = std::make_unique<TracingClock>(clock, setup.trace);
    port_ = tracing_port_.get();
    clock = tracing_clock_.get();
  }
  link_ = std::make_unique<ProgrammerLink>(port_, clock, setup.ports);
}

std::unique_ptr<ProgrammerSession> ProgrammerSession::Simulated(
    const FilePath& dir, const Setup& setup, std::string* why) {
  if (!PrepareBoardFolder(dir, why)) return nullptr;
  std::unique_ptr<BoardSession> board =
      BoardSession::Open(dir, setup.clock, why, setup.chip_socket);
  if (board == nullptr) return nullptr;
  PortIo* port = &board->board();
  return std::unique_ptr<ProgrammerSession>(
      new ProgrammerSession(port, setup, std::move(board)));
}

ProgrammerSession::~ProgrammerSession() { Close(); }

bool ProgrammerSession::Open(std::string* why) {
  open_ = port_->Open();
  if (!open_) *why = port_->WhyRefused();
  return open_;
}

std::vector<std::string> ProgrammerSession::Close() {
  std::vector<std::string> failures;
  if (closed_) return failures;
  closed_ = true;
  if (open_) port_->Close();
  open_ = false;
  std::string error;
  if (board_ != nullptr && !board_->SaveChipIfChanged(&error))
    failures.push_back(error);
  if (board_ != nullptr && !board_->FlushTrace(&error))
    failures.push_back(error);
  return failures;
}

FilePath ProgrammerSession::BoardTraceFile() const {
  return board_ != nullptr ? board_->trace_path() : FilePath();
}

Signature ProgrammerSession::ReadSignature(bool* refused, bool* unstable) {
  SimulatedOperation operation(board_.get());
  const uint32_t before = link_->refused_accesses();
  const Signature signature = ::ReadSignature(*link_);
  if (unstable != nullptr) {
    const Signature again = ::ReadSignature(*link_);
    *unstable = again.at30 != signature.at30 || again.at31 != signature.at31 ||
                again.at32 != signature.at32;
  }
  if (refused != nullptr) *refused = link_->refused_accesses() != before;
  return signature;
}

OperationResult ProgrammerSession::Read(uint32_t size, uint8_t* out,
                                        ProgressSink& sink) {
  SimulatedOperation operation(board_.get());
  return ReadChip(*link_, 0, size, out, sink);
}

OperationResult ProgrammerSession::ReadTwice(uint32_t size, uint8_t* out,
                                             ProgressSink& sink) {
  SimulatedOperation operation(board_.get());
  return ::ReadTwice(*link_, size, nullptr, out, sink, Stage::kRead);
}

OperationResult ProgrammerSession::Verify(const std::vector<uint8_t>& image,
                                          ProgressSink& sink) {
  SimulatedOperation operation(board_.get());
  return ::ReadTwice(*link_, static_cast<uint32_t>(image.size()), image.data(),
                   nullptr, sink, Stage::kVerify);
}

OperationResult ProgrammerSession::BlankCheck(uint32_t size,
                                              ProgressSink& sink) {
  SimulatedOperation operation(board_.get());
  const std::vector<uint8_t> blank(size, 0xFF);
  return ::ReadTwice(*link_, size, blank.data(), nullptr, sink,
                   Stage::kBlankCheck);
}

std::unique_ptr<BoardLock> ProgrammerSession::ClaimBoard(
    const BoardPorts& ports, const FilePath& sim_dir, Clock* clock,
    uint32_t wait_ms, const std::function<bool()>& stop, std::string* why) {
  return BoardLock::Acquire(
      sim_dir.empty()
          ? BoardLock::ResourcesOfPorts(ports.rtl_base, ports.epp_port)
          : BoardLock::ResourcesOfFolder(sim_dir),
      clock, wait_ms, stop, why);
}

std::unique_ptr<BoardLock> ProgrammerSession::ClaimBoard(
    uint32_t wait_ms, const std::function<bool()>& stop, std::string* why) {
  return ClaimBoard(ports_, board_ != nullptr ? board_->dir() : FilePath(),
                    clock_, wait_ms, stop, why);
}

std::unique_ptr<LineCheck> ProgrammerSession::CheckLines() {
  return std::make_unique<LineCheck>(port_, link_->clock(), ports_);
}

OperationResult ProgrammerSession::Erase(ProgressSink& sink) {
  SimulatedOperation operation(board_.get());
  return ::Erase(*link_, sink);
}

WriteReport ProgrammerSession::Write(const std::vector<uint8_t>& image,
                                     const WriteOptions& options,
                                     BadBlockLog* log, ProgressSink& sink) {
  SimulatedOperation operation(board_.get());
  const uint32_t size = static_cast<uint32_t>(image.size());
  if (log == nullptr)
    return WriteImage(*link_, image.data(), size, options, sink);
  log->Start();
  LoggingSink logged(sink, *log);
  const WriteReport report =
      WriteImage(*link_, image.data(), size, options, logged);
  log->End();
  return report;
}
