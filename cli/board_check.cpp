#include "cli/board_check.h"

#include <memory>
#include <string>
#include <vector>

#include "base/format.h"
#include "link/line_check.h"
#include "link/socket_pins.h"

namespace {

// Reads of the data lines at each latched level.
constexpr uint32_t kReadBackReads = 256;
// A held line's time is slept in slices this long, so a signal stops the
// check within one.
constexpr uint32_t kHoldSliceMs = 100;

const char* const kControlLines[] = {"the third mode line",
                                     "the programming strobe",
                                     "the programming voltage"};

std::string DescribeStep(const LineStep& s) {
  switch (s.group) {
    case LineGroup::kAddress:
      return Format("address line A%d (flash register bit %d): high at %s",
                    s.line, s.line,
                    DescribePin(AddressLinePin(s.line)).c_str());
    case LineGroup::kMode:
      return Format("mode line (flash register bit %d): high at %s", s.line,
                    DescribePin(AddressLinePin(s.line)).c_str());
    case LineGroup::kData:
      return Format("data line D%d (flash register bit %d): high at %s",
                    s.line, 24 + s.line,
                    DescribePin(DataLinePin(s.line)).c_str());
    case LineGroup::kControl:
      break;
  }
  // The level a control line is held at, and its level at rest.
  const char* const held[] = {"high", "low", "on"};
  const char* const rest[] = {"low", "high", "off"};
  return Format("control port bit %d (%s): %s (control value %u; %s at rest)",
                s.line, kControlLines[s.line], held[s.line],
                unsigned{s.control}, rest[s.line]);
}

std::string DescribeDataLine(const DataReadBack& r, int line) {
  const std::string name = Format(
      "D%d (%s)", line, DescribePin(DataLinePin(line)).c_str());
  switch (r.StateOf(line)) {
    case DataLineState::kSteady:
      return name + ": steady";
    case DataLineState::kChanging:
      return Format("%s: changed %u times in %u reads: floating or noisy "
                    "(not connected?)",
                    name.c_str(),
                    r.released[line].changes + r.pulled_low[line].changes,
                    2 * r.reads);
    case DataLineState::kHeldLow:
      return name + ": reads 0 even when released: held low (a short to "
                    "ground or to another line?)";
    case DataLineState::kHeldHigh:
      return name + ": reads 1 even when pulled low: held high, or the "
                    "card's data byte does not reach it";
    case DataLineState::kInverted:
      break;
  }
  return name + ": always reads the opposite of the card's data byte";
}

class SelfTest {
 public:
  SelfTest(ProgrammerSession& session, const CliOptions& options, CliEnv& env,
           RunReport& report)
      : session_(session), o_(options), env_(env), report_(report),
        out_(report.Out()) {}

  int Go(const Signature& signature, bool unstable);

 private:
  int Fail(int code, const char* word, const std::string& what) {
    return report_.Error(code, word, what);
  }
  bool Interrupted() const {
    return env_.interrupted != nullptr && env_.interrupted->load();
  }
  // Holds the current step; 0 to go on, otherwise the exit code to stop
  // with.
  int Wait();
  int Walk(LineCheck& check);
  int ReadBack(LineCheck& check);

  ProgrammerSession& session_;
  const CliOptions& o_;
  CliEnv& env_;
  RunReport& report_;
  std::ostream& out_;
};

int SelfTest::Go(const Signature& s, bool unstable) {
  const std::string bytes = Format("%02X %02X %02X", unsigned{s.at30},
                                   unsigned{s.at31}, unsigned{s.at32});
  if (unstable) {
    report_.Warning("unstable", "the signature read differently twice (" +
                                    bytes +
                                    " first): going on as with an empty "
                                    "socket");
  } else if (s.at30 != s.at31 || s.at31 != s.at32) {
    // An empty socket reads alike at every address, whatever its faults;
    // a chip's signature bytes differ.
    if (!o_.force) {
      return Fail(kExitNoAccess, "chip-present",
                  "selftest: a chip answers (the signature reads " + bytes +
                      "): the check is for an empty socket; take the chip "
                      "out, or --force goes on with it");
    }
    report_.Warning("chip-present", "a chip answers (" + bytes +
                                        "); going on with it in the socket "
                                        "(--force)");
  }
  int code = kExitOk;
  {
    const std::unique_ptr<LineCheck> check = session_.CheckLines();
    code = Walk(*check);
    if (code == kExitOk) code = ReadBack(*check);
    if (check->refused_accesses() != 0) code = kExitNoAccess;
  }  // the board is at rest from here on
  if (code == kExitNoAccess) {
    return Fail(code, "no-access",
                "the port-access library refused the ports");
  }
  if (code == kExitInterrupted)
    return Fail(code, "interrupted", "interrupted; the board is left at rest");
  if (code == kExitBadUsage) {
    return Fail(code, "usage",
                "selftest: standard input ended; --hold SECONDS holds each "
                "line without waiting for Enter");
  }
  return code;
}

int SelfTest::Wait() {
  if (!o_.hold_seconds) {
    if (Interrupted()) return kExitInterrupted;
    std::string line;
    const bool got = static_cast<bool>(std::getline(*env_.in, line));
    if (Interrupted()) return kExitInterrupted;
    return got ? kExitOk : kExitBadUsage;
  }
  for (uint64_t left = static_cast<uint64_t>(*o_.hold_seconds * 1000);
       left > 0;) {
    if (Interrupted()) return kExitInterrupted;
    const uint32_t slice =
        static_cast<uint32_t>(left < kHoldSliceMs ? left : kHoldSliceMs);
    env_.clock->SleepMs(slice);
    left -= slice;
  }
  return Interrupted() ? kExitInterrupted : kExitOk;
}

int SelfTest::Walk(LineCheck& check) {
  const std::vector<LineStep> steps = LineCheckSteps(o_.control);
  out_ << "selftest: each line the program drives, in turn, held for an LED "
          "or a meter\nat the socket (the usual 89C51 wiring: A0-A7 on P1, "
          "A8-A13 on P2.0-P2.5,\nthe mode lines on P2.6 and P2.7, data on "
          "P0). A flash register line is held\nhigh with every other line "
          "low; a control line at its other level, the others\nat rest "
          "(control port value 2).\n";
  if (o_.hold_seconds) {
    out_ << Format("Each line is held %g s; Ctrl-C stops, leaving the board "
                   "at rest.\n",
                   *o_.hold_seconds);
  } else {
    out_ << "Enter goes on to the next line; Ctrl-C stops, leaving the board "
            "at rest.\n";
  }
  out_ << (o_.control ? "--control: the last step switches the programming "
                        "voltage on (control port\nbit 2).\n"
                      : "The programming voltage (control port bit 2) stays "
                        "off; --control switches\nit on in a last step.\n");
  for (size_t n = 0; n < steps.size(); ++n) {
    if (Interrupted()) return kExitInterrupted;
    check.Hold(steps[n]);
    if (check.refused_accesses() != 0) return kExitNoAccess;
    out_ << Format("%2zu/%zu  ", n + 1, steps.size())
         << DescribeStep(steps[n]) << "\n"
         << std::flush;
    const int code = Wait();
    if (code != kExitOk) return code;
  }
  if (!o_.control) {
    out_ << Format("       control port bit 2 (%s): not set; --control "
                   "sets it (control value 6)\n",
                   kControlLines[2]);
  }
  return kExitOk;
}

int SelfTest::ReadBack(LineCheck& check) {
  if (Interrupted()) return kExitInterrupted;
  const DataReadBack r = check.ReadBack(kReadBackReads);
  if (Interrupted()) return kExitInterrupted;
  out_ << Format("The data lines, read back %u times released (each should "
                 "read 1) and %u\ntimes pulled low (each 0):\n",
                 r.reads, r.reads);
  int unsteady = 0;
  for (int line = 0; line < 8; ++line) {
    out_ << "  " << DescribeDataLine(r, line) << "\n";
    unsteady += r.StateOf(line) != DataLineState::kSteady;
  }
  if (unsteady == 0) {
    out_ << "selftest: all 8 data lines read back as driven; the board is "
            "at rest\n";
    return kExitOk;
  }
  out_ << Format("selftest: %d of 8 data lines did not read back as driven; "
                 "the board is at rest\n",
                 unsteady);
  return kExitChipFailed;
}

}  // namespace

int RunSelfTest(ProgrammerSession& session, const Signature& signature,
                bool unstable, const CliOptions& options, CliEnv& env,
                RunReport& report) {
  return SelfTest(session, options, env, report).Go(signature, unstable);
}
