#include "production/chip_socket.h"

#include <optional>

#include "base/format.h"

namespace {

bool Same(const Signature& a, const Signature& b) {
  return a.at30 == b.at30 && a.at31 == b.at31 && a.at32 == b.at32;
}

}  // namespace

std::string SignatureText(const Signature& s) {
  return Format("%02X %02X %02X", unsigned{s.at30}, unsigned{s.at31},
                unsigned{s.at32});
}

PollingSocket::PollingSocket(ProgrammerSession* session, Clock* clock,
                             std::function<bool()> stop, BatchEvents* events)
    : session_(session), clock_(clock), stop_(std::move(stop)),
      events_(events) {}

SocketWait PollingSocket::WaitForChip(SocketChip* chip) {
  std::optional<Signature> last;  // the previous poll's
  std::optional<Signature> warned;
  for (;; clock_->SleepMs(kPollMs)) {
    if (stop_()) return SocketWait::kStopped;
    bool refused = false;
    const Signature now = session_->ReadSignature(&refused);
    if (refused) return SocketWait::kPortFailed;
    const bool steady = last && Same(*last, now);
    last = now;
    if (!steady) continue;
    if (const Part* part = PartBySignature(now)) {
      *chip = {now, part};
      return SocketWait::kDone;
    }
    if (!NoChipAnswers(now) && !(warned && Same(*warned, now))) {
      warned = now;
      events_->OnWarning("unknown-part",
                         "a chip with the signature " + SignatureText(now) +
                             ", which names no known part, is in the "
                             "socket: it is not programmed");
    }
  }
}

SocketWait PollingSocket::WaitForEmpty() {
  int empty_polls = 0;
  for (;; clock_->SleepMs(kPollMs)) {
    if (stop_()) return SocketWait::kStopped;
    bool refused = false;
    const Signature now = session_->ReadSignature(&refused);
    if (refused) return SocketWait::kPortFailed;
    empty_polls = NoChipAnswers(now) ? empty_polls + 1 : 0;
    if (empty_polls == 2) return SocketWait::kDone;
  }
}

PromptedSocket::PromptedSocket(ProgrammerSession* session,
                               std::function<bool()> wait_for_operator,
                               std::function<bool()> stop,
                               BatchEvents* events)
    : session_(session), wait_for_operator_(std::move(wait_for_operator)),
      stop_(std::move(stop)), events_(events) {}

SocketWait PromptedSocket::WaitForChip(SocketChip* chip) {
  for (;;) {
    const bool told = wait_for_operator_();
    if (stop_()) return SocketWait::kStopped;
    if (!told) return SocketWait::kOperatorEnded;
    bool refused = false, unstable = false;
    const Signature now = session_->ReadSignature(&refused, &unstable);
    if (refused) return SocketWait::kPortFailed;
    const Part* part = PartBySignature(now);
    if (unstable) {
      events_->OnWarning("unstable",
                         "the signature read differently twice: check the "
                         "chip's seat in the socket");
    } else if (NoChipAnswers(now)) {
      events_->OnWarning("no-chip", "no chip answers (the signature reads " +
                                        SignatureText(now) + ")");
    } else if (part == nullptr) {
      events_->OnWarning("unknown-part",
                         "the signature " + SignatureText(now) +
                             " names no known part: the chip is not "
                             "programmed");
    } else {
      *chip = {now, part};
      return SocketWait::kDone;
    }
  }
}
