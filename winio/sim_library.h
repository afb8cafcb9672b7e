#ifndef TARNWICK_WINIO_SIM_LIBRARY_H_
#define TARNWICK_WINIO_SIM_LIBRARY_H_

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

#include "sim/board_session.h"

// The simulated board behind this project's own port-access libraries (the
// simulated WINIO.dll and InpOut DLL), on the real clock. The board's
// settings and chip live in files beside the DLL (sim/board_files.h), so a
// later run, and a test looking at the files, sees what was programmed.
//
// - The board is loaded at its first use. A settings file or chip file that
//   cannot be used makes that use fail, with the reason on stderr and in
//   the debugger output; nothing is written then (the chip file is never
//   replaced by a default chip), and the next use tries again.
// - The chip file is written by Save, each time only if the chip changed
//   since it was loaded or last written. The trace, when the settings name
//   one, is appended as the board runs (in blocks), and what is held back
//   then too, and every kTraceFlushOps port operations in between.
// - Callers hold mutex() for every call, so that any thread may use the
//   library at any time.
class SimLibrary {
 public:
  // `module`: the DLL, whose folder holds the board; `name` starts the
  // lines it reports ("WINIO.dll").
  SimLibrary(HMODULE module, const char* name) : module_(module), name_(name) {}

  std::mutex& mutex() { return mutex_; }

  // The board, loaded now if it is not yet; null when it cannot be (said).
  BoardSession* Board();
  // The board if it was loaded, without loading it.
  BoardSession* Loaded() { return session_.get(); }

  // After each port operation: the trace is appended every kTraceFlushOps.
  void Counted();

  // Saves the chip when it changed, and appends the trace.
  void Save();

  // Says `text` on stderr and in the debugger output, after the name.
  void Report(const std::string& text);

 private:
  static constexpr int kTraceFlushOps = 65536;

  void FlushTrace();

  std::mutex mutex_;
  HMODULE module_;
  const char* name_;
  // Null until loaded; lives until the process ends.
  std::unique_ptr<BoardSession> session_;
  int ops_since_flush_ = 0;
};

#endif  // TARNWICK_WINIO_SIM_LIBRARY_H_
