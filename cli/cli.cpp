#include "cli/cli.h"

#include <algorithm>
#include <sstream>

#include "cli/batch_command.h"
#include "cli/checksum_command.h"
#include "cli/chip_run.h"
#include "cli/options.h"
#include "cli/run_report.h"
#include "detect/hardware_scan.h"

namespace {

// The first line of a refusal ParseCliOptions wrote, without the program's
// name.
std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  const std::string name = "tarnwick: ";
  return line.compare(0, name.size(), name) == 0 ? line.substr(name.size())
                                                 : line;
}

int RunCommand(const CliOptions& options, CliEnv& env, RunReport& report) {
  if (options.command == "ports") {
    if (!env.can_find_ports) {
      return report.Error(kExitBadUsage, "usage",
                          "ports: finding the hardware works on Linux only; "
                          "give --rtl-base and --epp-port, or --config FILE");
    }
    // The ports a chip command would take, for a program to show.
    const HardwareScan scan = ScanHardware(env.system_root);
    uint16_t rtl_base = 0, epp_port = 0;
    std::string why;
    if (ChoosePorts(scan, &rtl_base, &epp_port, &why)) {
      report.start()["rtl_base"] = rtl_base;
      report.start()["epp_port"] = epp_port;
    } else {
      report.Event("warning", {{"text", why}, {"code", "no-ports"}});
    }
    report.Out() << FormatHardwareScan(scan);
    return kExitOk;
  }
  if (options.command == "checksum") return RunChecksum(options, env, report);
  if (options.port_library && !env.loads_port_library) {
    return report.Error(kExitBadUsage, "usage",
                        "--port-library: only the Windows builds load a "
                        "port-access library");
  }
  if (options.command == "batch") return RunBatchCommand(options, env, report);
  return RunChipCommand(options, env, report);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliEnv& env) {
  CliOptions options;
  int code = kExitOk;
  std::ostringstream refusal;
  if (!ParseCliOptions(args, *env.out, refusal, &options, &code)) {
    *env.err << refusal.str();
    // A refused command line still gives a whole stream when --json asked.
    const auto end = std::find(args.begin(), args.end(), "--");
    if (code != kExitOk && std::find(args.begin(), end, "--json") != end) {
      RunReport report(env, true);
      report.start()["version"] = kTarnwickVersion;
      report.Event("error", {{"text", FirstLine(refusal.str())},
                             {"exit", code},
                             {"code", "usage"}});
      report.Finish(code);
    }
    return code;
  }
  RunReport report(env, options.json);
  EventFields& start = report.start();
  start["command"] = options.command;
  if (!options.file.empty()) start["file"] = options.file;
  start["version"] = kTarnwickVersion;
  if (options.command == "ports") {
    start["target"] = "ports";
  } else if (options.command != "checksum") {
    start["target"] = options.sim_dir ? "sim" : "ports";
    if (options.sim_dir) start["sim"] = *options.sim_dir;
  }
  code = RunCommand(options, env, report);
  if (env.stop_signal != nullptr && env.stop_signal->load() != 0)
    code = 128 + env.stop_signal->load();
  report.Finish(code);
  return code;
}
