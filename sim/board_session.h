#ifndef TARNWICK_SIM_BOARD_SESSION_H_
#define TARNWICK_SIM_BOARD_SESSION_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/file.h"
#include "sim/sim_board.h"
#include "link/trace.h"
#include "link/trace_file.h"

// A simulated board kept in a folder (sim/board_files.h): its settings and
// chip are loaded from there, and the chip is saved back when the session
// says so. Its trace, when the settings name a file, is appended to it as
// the board runs (in blocks; FlushTrace writes the rest). Both the
// simulated WINIO.dll and the command line's --sim run a board this way.
// Not thread-safe; the board itself is.
class BoardSession {
 public:
  // Loads the board from `dir`, its chip timed by `clock` (which must
  // outlive the session). Null, with the reason in *error, when the
  // settings or chip file cannot be used, or the settings' trace file is
  // one of them. With `socket`, the chip file is the board's socket
  // (LookAtSocket), and a missing one an empty socket.
  static std::unique_ptr<BoardSession> Open(const FilePath& dir, Clock* clock,
                                            std::string* error,
                                            bool socket = false);

  SimBoard& board() { return board_; }
  // The settings the board was loaded with.
  const BoardSettings& settings() const { return settings_; }
  const FilePath& dir() const { return dir_; }

  // The settings' trace file (relative names are taken from the board's
  // folder, absolute ones as they are); empty when none is set.
  const FilePath& trace_path() const { return trace_path_; }

  // Writes the chip file when the chip changed since it was loaded or last
  // saved. False, with the reason in *error, when it could not be written;
  // the old file then stays. An empty socket saves nothing.
  bool SaveChipIfChanged(std::string* error);

  // A socket's chip follows the chip file, looked at between operations:
  // a missing file (or one without the part's bytes) empties the socket,
  // whose data lines then float high; a file whose bytes differ from those
  // last loaded or saved, or any file after an empty socket, is a new chip
  // with those bytes. Does nothing for a board opened without `socket`.
  void LookAtSocket();

  // Appends the trace lines held back to the trace file, if one is set.
  // False, with the reason in *error, when a write to it has failed.
  bool FlushTrace(std::string* error);

 private:
  BoardSession(const FilePath& dir, Clock* clock,
               const BoardSettings& settings);

  void SetChipInSocket(bool in);

  FilePath dir_;
  BoardSettings settings_;
  bool socket_ = false;
  bool chip_in_socket_ = true;
  FilePath trace_path_;
  std::unique_ptr<TraceFile> trace_file_;
  Trace trace_;
  SimBoard board_;
  std::vector<uint8_t> saved_;  // the chip as last loaded or saved
};

#endif  // TARNWICK_SIM_BOARD_SESSION_H_
