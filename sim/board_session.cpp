#include "sim/board_session.h"

#include "sim/board_files.h"

std::unique_ptr<BoardSession> BoardSession::Open(const FilePath& dir,
                                                 Clock* clock,
                                                 std::string* error,
                                                 bool socket) {
  BoardSettings settings;
  std::vector<uint8_t> flash;
  if (!LoadBoardFiles(dir, &settings, &flash, error)) return nullptr;
  std::unique_ptr<BoardSession> session(
      new BoardSession(dir, clock, settings));
  for (const char* own : {kBoardChipFileName, kBoardSettingsFileName}) {
    if (!session->trace_path_.empty() &&
        SameFile(session->trace_path_, dir / own)) {
      *error = PathForDisplay(dir / kBoardSettingsFileName) +
               ": the trace file is the board's " + own;
      return nullptr;
    }
  }
  session->board_.SetFlash(flash);
  session->saved_ = session->board_.Flash();
  session->socket_ = socket;
  session->LookAtSocket();
  return session;
}

BoardSession::BoardSession(const FilePath& dir, Clock* clock,
                           const BoardSettings& settings)
    : dir_(dir), settings_(settings), board_(clock, settings) {
  if (!settings.trace_file.empty()) {
    // An absolute name replaces the folder.
    trace_path_ = dir / PathFromUtf8(settings.trace_file);
    trace_file_ =
        std::make_unique<TraceFile>(trace_path_, TraceFile::Mode::kAppend);
    trace_.SendTo(trace_file_.get());
    board_.SetTrace(&trace_);
  }
}

bool BoardSession::SaveChipIfChanged(std::string* error) {
  if (!chip_in_socket_) return true;
  const std::vector<uint8_t> flash = board_.Flash();
  if (flash == saved_) return true;
  if (!SaveChipFile(dir_, flash)) {
    *error = "cannot write the chip file " +
             PathForDisplay(dir_ / kBoardChipFileName);
    return false;
  }
  saved_ = flash;
  return true;
}

bool BoardSession::FlushTrace(std::string* error) {
  if (trace_path_.empty() || trace_.Flush()) return true;
  *error = "cannot append to the trace file " + PathForDisplay(trace_path_);
  return false;
}

void BoardSession::LookAtSocket() {
  if (!socket_) return;
  std::string bytes;
  const uint32_t size = settings_.part->size;
  if (ReadFileToString(dir_ / kBoardChipFileName, &bytes, size) !=
          ReadResult::kRead ||
      bytes.size() != size) {
    SetChipInSocket(false);
    return;
  }
  const std::vector<uint8_t> flash(bytes.begin(), bytes.end());
  if (!chip_in_socket_ || flash != saved_) {
    board_.SetFlash(flash);
    saved_ = flash;
  }
  SetChipInSocket(true);
}

void BoardSession::SetChipInSocket(bool in) {
  if (in == chip_in_socket_) return;
  chip_in_socket_ = in;
  BoardSettings settings = settings_;
  settings.chip_present = settings_.chip_present && in;
  board_.SetSettings(settings);
}
