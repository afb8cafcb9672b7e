#include "cli/cli.h"

#include "cli/chip_run.h"
#include "cli/options.h"
#include "detect/hardware_scan.h"

int RunCli(const std::vector<std::string>& args, CliEnv& env) {
  CliOptions options;
  int code = kExitOk;
  if (!ParseCliOptions(args, *env.out, *env.err, &options, &code)) return code;
  if (options.command == "ports") {
    if (!env.can_find_ports) {
      *env.err << "tarnwick: ports: finding the hardware works on Linux "
                  "only; give --rtl-base and --epp-port, or --config FILE\n";
      return kExitBadUsage;
    }
    *env.out << FormatHardwareScan(ScanHardware(env.system_root));
    return kExitOk;
  }
  if (options.port_library && !env.loads_port_library) {
    *env.err << "tarnwick: --port-library: only the Windows builds load a "
                "port-access library\n";
    return kExitBadUsage;
  }
  return RunChipCommand(options, env);
}
