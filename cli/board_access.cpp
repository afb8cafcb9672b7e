#include "cli/board_access.h"

#include "base/format.h"
#include "config/port_config.h"
#include "detect/hardware_scan.h"

BoardAccess::BoardAccess(const CliOptions& options, CliEnv& env,
                         RunReport& report)
    : o_(options), env_(env), report_(report) {
  if (o_.trace_limit > 0) trace_.SetLimit(o_.trace_limit);
}

int BoardAccess::ResolvePorts() {
  // Real hardware with nothing said of its ports: the one card and the one
  // parallel port the system lists, if that is what it has.
  if (!o_.sim_dir && !o_.config && !o_.rtl_base && !o_.epp_port &&
      env_.can_find_ports) {
    const HardwareScan scan = ScanHardware(env_.system_root);
    std::string why;
    if (!ChoosePorts(scan, &ports_.rtl_base, &ports_.epp_port, &why)) {
      report_.Err() << FormatHardwareScan(scan);
      return report_.Error(kExitNoAccess, "no-access",
                           "cannot choose the ports by myself: " + why +
                               " (or give --config FILE)");
    }
    if (!o_.quiet) {
      report_.Err() << Format(
          "tarnwick: using the RTL8139 at I/O %X and the "
          "parallel port at %X\n",
          unsigned{ports_.rtl_base}, unsigned{ports_.epp_port});
    }
  } else {
    if (o_.config && !LoadPortConfig(PathFromUtf8(*o_.config), &ports_))
      return report_.Error(kExitBadUsage, "file",
                           "cannot open the configuration file " + *o_.config);
    if (o_.rtl_base) ports_.rtl_base = *o_.rtl_base;
    if (o_.epp_port) ports_.epp_port = *o_.epp_port;
  }
  if (!o_.sim_dir) {
    report_.start()["rtl_base"] = ports_.rtl_base;
    report_.start()["epp_port"] = ports_.epp_port;
  }
  return kExitOk;
}

// Takes the board for this run (before a simulated board's files are
// read, so that they are the last run's), then opens port access.
int BoardAccess::Open(bool socket, const std::vector<NamedFile>& files) {
  ProgrammerSession::Setup setup;
  setup.clock = env_.clock;
  setup.ports = ports_;
  setup.chip_socket = socket;
  if (o_.trace) setup.trace = &trace_;
  const FilePath sim_dir = o_.sim_dir ? PathFromUtf8(*o_.sim_dir) : FilePath();
  const uint32_t wait_ms =
      static_cast<uint32_t>(o_.wait_seconds.value_or(0) * 1000);
  std::string why;
  board_lock_ = ProgrammerSession::ClaimBoard(
      setup.ports, sim_dir, env_.clock, wait_ms, [this] { return Stopped(); },
      &why);
  if (board_lock_ == nullptr) {
    if (Stopped())
      return report_.Error(kExitInterrupted, "interrupted",
                           "interrupted while waiting for the board");
    return report_.Error(
        kExitNoAccess, "busy",
        "the board is busy: " + why +
            (o_.wait_seconds ? Format(" (waited %g s)", *o_.wait_seconds)
                             : "; --wait SECONDS waits for it"));
  }
  if (o_.sim_dir) {
    session_ = ProgrammerSession::Simulated(sim_dir, setup, &why);
    if (session_ == nullptr) return report_.Error(kExitBadUsage, "file", why);
    // The board's own trace, named by its settings, is written too.
    const FilePath board_trace = session_->BoardTraceFile();
    std::vector<NamedFile> all = files;
    all.push_back({"the simulated board's trace " + PathForDisplay(board_trace),
                   board_trace, true});
    if (!board_trace.empty() && !EachFileItsOwn(all, &why))
      return report_.Error(kExitBadUsage, "file", why);
  } else {
    if (env_.open_real_port)
      real_port_ = env_.open_real_port(setup.ports,
                                       o_.port_library.value_or(""), &why);
    if (real_port_ == nullptr)
      return report_.Error(kExitNoAccess, "no-access", why);
    if (!why.empty() && !o_.quiet) report_.Err() << "tarnwick: " << why << "\n";
    session_ = std::make_unique<ProgrammerSession>(real_port_.get(), setup);
  }
  if (env_.hold_fine_clock) fine_clock_ = env_.hold_fine_clock();
  if (!session_->Open(&why)) {
    return report_.Error(
        kExitNoAccess, "no-access",
        "port access was refused" + (why.empty() ? "" : ": " + why));
  }
  return kExitOk;
}

void BoardAccess::StartTrace() {
  if (!o_.trace) return;
  trace_file_ = std::make_unique<TraceFile>(PathFromUtf8(*o_.trace),
                                            TraceFile::Mode::kReplace);
  trace_.SendTo(trace_file_.get());
}

int BoardAccess::Release(int code) {
  if (released_) return code;
  released_ = true;
  std::vector<std::string> failures;
  if (session_ != nullptr) failures = session_->Close();
  if (trace_file_ != nullptr) {
    if (!trace_.Flush())
      failures.push_back("cannot write the trace " + *o_.trace);
    if (trace_.cut()) {
      report_.Warning(
          "trace-cut",
          Format("the trace %s stops partway: it reached its limit of %llu "
                 "bytes (--trace-limit)",
                 o_.trace->c_str(),
                 static_cast<unsigned long long>(o_.trace_limit)));
    }
  } else if (o_.trace && session_ != nullptr && !o_.quiet) {
    // Refused by what the board answered: say where that can be traced.
    report_.Err() << "tarnwick: no trace written, the run being refused; "
                     "`tarnwick signature --trace FILE` traces the "
                     "signature's reads\n";
  }
  for (const std::string& failure : failures) {
    if (code == kExitOk) code = kExitBadUsage;
    report_.Error(code, "file", failure);
  }
  trace_file_.reset();
  board_lock_.reset();
  fine_clock_.reset();
  return code;
}
