#include "cli/batch_command.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch_report.h"
#include "cli/board_access.h"
#include "cli/image_input.h"
#include "cli/run_files.h"
#include "production/batch_run.h"
#include "production/chip_socket.h"
#include "production/journal.h"
#include "production/serial_allocator.h"
#include "sim/board_files.h"

namespace {

class BatchCommand {
 public:
  BatchCommand(const CliOptions& options, CliEnv& env, RunReport& report)
      : o_(options), env_(env), report_(report), board_(options, env, report) {}

  int Go() {
    int code = board_.ResolvePorts();
    if (code == kExitOk) code = CheckFiles();
    if (code == kExitOk) code = OpenSerials();
    if (code == kExitOk) code = board_.Open(true, NamedFiles());
    if (code == kExitOk) code = OpenJournal();
    if (code == kExitOk) code = Run();
    return board_.Release(code);
  }

 private:
  bool Stopped() const { return board_.Stopped(); }
  std::vector<NamedFile> NamedFiles() const;
  int CheckFiles();
  int OpenSerials();
  int OpenJournal();
  int Run();

  const CliOptions& o_;
  CliEnv& env_;
  RunReport& report_;
  BoardAccess board_;
  ImageInput input_;
  BatchSetup setup_;
  std::unique_ptr<SerialAllocator> serials_;
  std::unique_ptr<Journal> journal_;
};

std::vector<NamedFile> BatchCommand::NamedFiles() const {
  return RunFiles(o_.file, false,
                  {{"--journal", o_.journal, true},
                   {"--serial-file", o_.serial_file, true},
                   {"--trace", o_.trace, true},
                   {"--config", o_.config, false}},
                  o_.sim_dir);
}

// No file named twice, the records and the trace writable, the image sound
// and with the checksums expected, the simulated board's folder usable.
int BatchCommand::CheckFiles() {
  std::string why;
  if (!EachFileItsOwn(NamedFiles(), &why))
    return report_.Error(kExitBadUsage, "file", why);
  const struct {
    const char* option;
    const std::optional<std::string>& path;
    bool replaced;
  } outputs[] = {{"--journal", o_.journal, false},
                 {"--serial-file", o_.serial_file, true},
                 {"--trace", o_.trace, false}};
  for (const auto& output : outputs) {
    if (output.path &&
        !CanWriteFile(PathFromUtf8(*output.path), output.replaced, &why)) {
      return report_.Error(kExitBadUsage, "file",
                           "cannot write " + std::string(output.option) + " " +
                               *output.path + ": " + why);
    }
  }
  std::vector<const Part*> parts;
  const int code = LoadImageForChips(o_, env_, report_, &input_, &parts);
  if (code != kExitOk) return code;
  // The part named, or the one alone whose image has the checksums
  // expected, is the run's; otherwise the first chip's.
  setup_.part = parts.size() == 1 ? parts.front() : nullptr;
  if (o_.sim_dir && !PrepareBoardFolder(PathFromUtf8(*o_.sim_dir), &why))
    return report_.Error(kExitBadUsage, "file", "--sim: " + why);
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
  return kExitOk;
}

// The last refusal passed: the journal is made (with its header) when
// missing, and the trace begins.
int BatchCommand::OpenJournal() {
  if (o_.journal) {
    std::string why;
    journal_ =
        Journal::Open(PathFromUtf8(*o_.journal), RealRecordFiles(), &why);
    if (journal_ == nullptr)
      return report_.Error(kExitBadUsage, "file",
                           "--journal " + *o_.journal + ": " + why);
  }
  board_.StartTrace();
  return kExitOk;
}

int BatchCommand::Run() {
  if (o_.no_erase) setup_.write.mode = WriteMode::kNoErase;
  setup_.journal = journal_.get();
  setup_.count = o_.count;
  setup_.clock = env_.clock;
  setup_.stop = [this] { return Stopped(); };
  BatchReport events(o_, env_, report_, input_, setup_.part, "");
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
  RunBatch(setup_, session, *socket, events);
  return events.exit();
}

}  // namespace

int RunBatchCommand(const CliOptions& options, CliEnv& env, RunReport& report) {
  return BatchCommand(options, env, report).Go();
}
