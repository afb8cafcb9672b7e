#ifndef TARNWICK_PRODUCTION_CHIP_SOCKET_H_
#define TARNWICK_PRODUCTION_CHIP_SOCKET_H_

#include <cstdint>
#include <functional>

#include "base/clock.h"
#include "production/batch_events.h"
#include "session/programmer_session.h"

enum class SocketWait {
  kDone,           // what was waited for came
  kNotSeen,        // the socket cannot see it (a prompted socket's removal)
  kStopped,        // a stop request
  kOperatorEnded,  // the operator ended the run
  kPortFailed,     // port access was refused
};

// How a run learns that a chip was put in the board's socket and taken out.
class ChipSocket {
 public:
  virtual ~ChipSocket() = default;

  // Waits for a chip of a known part (chip/parts.h) in the socket, into
  // *chip; others are warned of (BatchEvents::OnWarning) and waited past.
  virtual SocketWait WaitForChip(SocketChip* chip) = 0;

  // Waits until the socket is empty.
  virtual SocketWait WaitForEmpty() = 0;
};

// Watches the socket by reading the signature every kPollMs on `clock` (the
// session's). A chip is in when a known part answers with the same
// signature on two polls in a row; the socket is empty when no chip answers
// on two polls in a row. A signature that names no part, the same on two
// polls, is warned of once ("unknown-part") and never counts as a chip.
// `session`, `clock` and `events` must outlive it; `stop` is asked before
// each poll.
class PollingSocket : public ChipSocket {
 public:
  static constexpr uint32_t kPollMs = 200;

  PollingSocket(ProgrammerSession* session, Clock* clock,
                std::function<bool()> stop, BatchEvents* events);

  SocketWait WaitForChip(SocketChip* chip) override;
  SocketWait WaitForEmpty() override;

 private:
  ProgrammerSession* session_;
  Clock* clock_;
  std::function<bool()> stop_;
  BatchEvents* events_;
};

// For boards whose chip must not be changed with power on: waits for the
// operator (`wait_for_operator`, which returns true once told a chip is in,
// false when the operator ends the run or `stop` asks) and then reads the
// signature twice; no chip answering ("no-chip"), a part it does not know
// ("unknown-part") or two reads that differ ("unstable") are warned of and
// the operator is waited for again. It never polls, so it cannot see a
// chip taken out (kNotSeen).
class PromptedSocket : public ChipSocket {
 public:
  PromptedSocket(ProgrammerSession* session,
                 std::function<bool()> wait_for_operator,
                 std::function<bool()> stop, BatchEvents* events);

  SocketWait WaitForChip(SocketChip* chip) override;
  SocketWait WaitForEmpty() override { return SocketWait::kNotSeen; }

 private:
  ProgrammerSession* session_;
  std::function<bool()> wait_for_operator_;
  std::function<bool()> stop_;
  BatchEvents* events_;
};

// "1E 51 FF", as messages show a signature.
std::string SignatureText(const Signature& signature);

#endif  // TARNWICK_PRODUCTION_CHIP_SOCKET_H_
