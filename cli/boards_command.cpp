#include "cli/boards_command.h"

#include <algorithm>

#include "base/board_lock.h"
#include "base/format.h"
#include "cli/named_boards.h"
#include "detect/hardware_scan.h"

int RunBoardsCommand(const CliOptions& o, CliEnv& env, RunReport& report) {
  FilePath path;
  std::vector<NamedBoard> boards;
  const int code = LoadNamedBoards(o, env, report, &path, &boards);
  if (code != kExitOk) return code;
  HardwareScan scan;
  if (env.can_find_ports) scan = ScanHardware(env.system_root);
  std::ostream& out = report.Out();
  out << "Boards of " << PathForDisplay(path) << ":\n";
  size_t width = 0;
  for (const NamedBoard& b : boards) width = std::max(width, b.name.size());
  for (const NamedBoard& b : boards) {
    EventFields fields = BoardFields(b);
    std::string line = Format("  %-*s  ", static_cast<int>(width),
                              b.name.c_str());
    if (b.simulated) {
      line += "simulated, in " + PathForDisplay(b.sim_dir);
    } else {
      line += Format("RTL8139 at %X, parallel port at %X",
                     unsigned{b.ports.rtl_base}, unsigned{b.ports.epp_port});
    }
    if (!b.simulated && env.can_find_ports) {
      const auto card = std::find_if(
          scan.cards.begin(), scan.cards.end(), [&](const NetworkCard& c) {
            return c.io_base && *c.io_base == b.ports.rtl_base;
          });
      const auto port = std::find_if(
          scan.ports.begin(), scan.ports.end(), [&](const ParallelPort& p) {
            return p.data_register == b.ports.epp_port;
          });
      const bool card_found = card != scan.cards.end();
      const bool port_found = port != scan.ports.end();
      fields["card_found"] = card_found;
      fields["port_found"] = port_found;
      line += card_found ? "; card found (" + card->slot + ")"
                         : std::string("; no card there");
      line += port_found ? ", port found (" + port->name + ")"
                         : std::string(", no parallel port there");
    }
    const std::optional<BoardLock::Holder> holder = BoardLock::FindHolder(
        b.simulated ? BoardLock::ResourcesOfFolder(b.sim_dir)
                    : BoardLock::ResourcesOfPorts(b.ports.rtl_base,
                                                  b.ports.epp_port));
    if (holder) {
      fields["held_by"] = {{"pid", holder->pid},
                           {"command", holder->command}};
      line += "; held: " + holder->Text();
    } else {
      fields["held_by"] = nullptr;
      line += "; free";
    }
    report.Event("board", fields);
    out << line << "\n";
  }
  if (!scan.problems.empty()) {
    out << "Not every system file could be read, so a card or port may be "
           "there unseen:\n";
    for (const std::string& problem : scan.problems)
      out << "  " << problem << "\n";
  }
  return kExitOk;
}
