#ifndef TARNWICK_SESSION_PROGRAMMER_SESSION_H_
#define TARNWICK_SESSION_PROGRAMMER_SESSION_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/board_lock.h"
#include "base/clock.h"
#include "base/file.h"
#include "chip/chip_operations.h"
#include "chip/parts.h"
#include "chip/write_image.h"
#include "link/board_ports.h"
#include "link/line_check.h"
#include "link/port_io.h"
#include "link/programmer_link.h"
#include "link/trace.h"
#include "link/tracing_clock.h"
#include "link/tracing_port.h"
#include "session/bad_block_log.h"
#include "sim/board_session.h"

// One programmer session, as both front ends drive the board: port access
// held from Open to Close, and the chip operations over it. The session
// does not claim the chip: its caller runs one operation at a time.
class ProgrammerSession {
 public:
  struct Setup {
    BoardPorts ports;
    Clock* clock = nullptr;  // times the cycles; must outlive the session
    // Gets every port access and sleep of the session, each with its time;
    // none when null. Must outlive the session.
    Trace* trace = nullptr;
    // A simulated board's chip file is its socket, looked at before each
    // operation (BoardSession::LookAtSocket): a missing one is an empty
    // socket. Otherwise a missing chip file is an erased chip.
    bool chip_socket = false;
  };

  // Drives the board through `port`, which must outlive the session (the
  // desktop's WINIO.dll, or the command line's real port access).
  ProgrammerSession(PortIo* port, const Setup& setup);

  // Drives the simulated board kept in the folder `dir` (made, with an
  // erased chip, when missing). Its chip is saved when each operation ends
  // (and by Close, which tells a failure), its trace by Close. Null, with
  // the reason in *why, when the folder or the board's files cannot be used
  // (PrepareBoardFolder, BoardSession::Open).
  static std::unique_ptr<ProgrammerSession> Simulated(const FilePath& dir,
                                                      const Setup& setup,
                                                      std::string* why);

  // Close(), its failures untold.
  ~ProgrammerSession();

  ProgrammerSession(const ProgrammerSession&) = delete;
  ProgrammerSession& operator=(const ProgrammerSession&) = delete;

  // Obtains port access: the only way to the board, so a lock keeping one
  // program on the board belongs here, before the first port access, with
  // its release in Close. False, with the backend's reason (empty when it
  // gives none) in *why, when refused.
  bool Open(std::string* why);

  // Releases port access if Open obtained it, then saves a simulated
  // board's chip (when changed) and its own trace. Returns what could not
  // be saved, in words; only the first call acts.
  std::vector<std::string> Close();

  // Takes a board for this process (base/board_lock.h): the lock of the
  // card and port of `ports`, or, when `sim_dir` is not empty, of the
  // simulated board kept there (to be taken before Simulated reads its
  // files). Null, with *why naming the holder, when another process holds
  // it past `wait_ms`. Released when destroyed; on Windows, by the thread
  // that took it.
  static std::unique_ptr<BoardLock> ClaimBoard(
      const BoardPorts& ports, const FilePath& sim_dir, Clock* clock,
      uint32_t wait_ms, const std::function<bool()>& stop, std::string* why);

  // ClaimBoard for this session's board.
  std::unique_ptr<BoardLock> ClaimBoard(uint32_t wait_ms,
                                        const std::function<bool()>& stop,
                                        std::string* why);

  // The file a simulated board appends its own trace to (its settings'
  // `trace`); empty for real hardware or when none is set.
  FilePath BoardTraceFile() const;

  // Reads the signature bytes. `*refused`, when given, tells whether a port
  // access was refused meanwhile (port access is not open, or the library
  // failed): the bytes then mean nothing. With `unstable`, the bytes are
  // read twice and *unstable tells whether the two reads differed.
  Signature ReadSignature(bool* refused = nullptr, bool* unstable = nullptr);

  // Reads the chip from address 0 once (ReadChip), as the desktop does.
  OperationResult Read(uint32_t size, uint8_t* out, ProgressSink& sink);

  // The chip from address 0, read twice (ReadTwice in
  // chip/chip_operations.h): into `out`, compared with `image`, or with
  // FF bytes. Addresses whose reads differ are told as unstable.
  OperationResult ReadTwice(uint32_t size, uint8_t* out, ProgressSink& sink);
  OperationResult Verify(const std::vector<uint8_t>& image, ProgressSink& sink);
  OperationResult BlankCheck(uint32_t size, ProgressSink& sink);
  OperationResult Erase(ProgressSink& sink);

  // A check of the board's lines (link/line_check.h) through this
  // session's port access, traced as the cycles are; it must end before
  // Close.
  std::unique_ptr<LineCheck> CheckLines();

  // Writes `image` from address 0 (chip/write_image.h). With `log`, it gets
  // its start line first, a line for each address that never verified when
  // programmed, and its end line last, however the write ends.
  WriteReport Write(const std::vector<uint8_t>& image,
                    const WriteOptions& options, BadBlockLog* log,
                    ProgressSink& sink);

 private:
  ProgrammerSession(PortIo* port, const Setup& setup,
                    std::unique_ptr<BoardSession> board);

  std::unique_ptr<BoardSession> board_;  // the simulated board, if it is one
  BoardPorts ports_;
  Clock* clock_;
  std::unique_ptr<TracingPort> tracing_port_;
  std::unique_ptr<TracingClock> tracing_clock_;
  PortIo* port_;  // the port the link drives, traced or not
  std::unique_ptr<ProgrammerLink> link_;
  bool open_ = false;
  bool closed_ = false;
};

#endif  // TARNWICK_SESSION_PROGRAMMER_SESSION_H_
