#include "cli/named_boards.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "base/format.h"
#include "cli/board_lines.h"
#include "cli/chip_run.h"

namespace {

constexpr char kBoardField[] = "{board}";

// A boards file is a few lines; more than this is not one.
constexpr uint64_t kMaxBoardsFile = 1 << 20;

}  // namespace

int LoadNamedBoards(const CliOptions& o, CliEnv& env, RunReport& report,
                    FilePath* path, std::vector<NamedBoard>* boards) {
  std::string text, why;
  if (o.boards_file) {
    *path = PathFromUtf8(*o.boards_file);
  } else {
    std::string looked;
    for (const FilePath& candidate : env.boards_files) {
      std::error_code ec;
      if (std::filesystem::exists(candidate, ec)) {
        *path = candidate;
        break;
      }
      looked += (looked.empty() ? "" : ", ") + PathForDisplay(candidate);
    }
    if (path->empty()) {
      return report.Error(kExitBadUsage, "file",
                          "no boards file (looked for " + looked +
                              "): give one with --boards FILE");
    }
  }
  const std::string name = PathForDisplay(*path);
  if (ReadFileToString(*path, &text, kMaxBoardsFile, &why) != ReadResult::kRead)
    return report.Error(kExitBadUsage, "file",
                        "cannot read the boards file " + name + ": " + why);
  std::vector<NamedBoard> all;
  if (!ParseBoardsFile(text, path->parent_path(), &all, &why))
    return report.Error(kExitBadUsage, "file", name + ": " + why);
  if (!SelectBoards(all, o.boards.empty() ? std::vector<std::string>{"all"}
                                          : o.boards,
                    boards, &why))
    return report.Error(kExitBadUsage, "usage", why + " " + name);
  return kExitOk;
}

EventFields BoardFields(const NamedBoard& board) {
  EventFields fields = {{"board", board.name}};
  if (board.simulated) {
    fields["sim"] = PathForDisplay(board.sim_dir);
  } else {
    fields["rtl_base"] = board.ports.rtl_base;
    fields["epp_port"] = board.ports.epp_port;
  }
  return fields;
}

std::string WithBoardName(std::string text, const std::string& name) {
  for (size_t at = text.find(kBoardField); at != std::string::npos;
       at = text.find(kBoardField, at + name.size()))
    text.replace(at, sizeof kBoardField - 1, name);
  return text;
}

CliOptions OptionsForBoard(const CliOptions& options, const NamedBoard& b) {
  CliOptions o = options;
  o.board = b.name;
  if (b.simulated) {
    o.sim_dir = PathForDisplay(b.sim_dir);
  } else {
    o.rtl_base = b.ports.rtl_base;
    o.epp_port = b.ports.epp_port;
  }
  if (o.command == "read") o.file = WithBoardName(o.file, b.name);
  for (std::optional<std::string>* named : {&o.trace, &o.log})
    if (*named) **named = WithBoardName(**named, b.name);
  return o;
}

int CheckSeveralBoards(const CliOptions& o, size_t boards, RunReport& report) {
  if (boards < 2) return kExitOk;
  const auto refuse = [&](const std::string& what) {
    return report.Error(kExitBadUsage, "usage",
                        Format("%zu boards: ", boards) + what);
  };
  if (o.command == "selftest")
    return refuse("selftest takes one board at a time");
  if (o.prompt)
    return refuse("--prompt takes one board: Enter cannot tell the boards "
                  "apart");
  if (o.file == "-")
    return refuse("the image cannot come from standard input, nor go to "
                  "standard output, for several boards; give a file");
  const struct {
    bool given;
    const char* option;
    std::string name;
  } files[] = {
      {o.command == "read", "read FILE", o.file},
      {o.trace.has_value(), "--trace", o.trace.value_or("")},
      {o.log.has_value(), "--log", o.log.value_or("")},
  };
  for (const auto& f : files) {
    if (f.given && f.name.find(kBoardField) == std::string::npos) {
      return refuse(std::string(f.option) + " needs " + kBoardField +
                    " in its name, for each board's name (as in "
                    "'chip-{board}.bin')");
    }
  }
  return kExitOk;
}

std::vector<BoardEnd> RunOnBoards(const CliOptions& options, CliEnv& env,
                                  RunReport& report,
                                  const std::vector<NamedBoard>& boards,
                                  const BoardRun& run) {
  std::vector<std::string> names;
  for (const NamedBoard& b : boards) names.push_back(b.name);
  // A run's only board speaks for itself, as a run without names does.
  std::unique_ptr<BoardLines> lines;
  if (boards.size() > 1) {
    lines = std::make_unique<BoardLines>(
        report.Out(), report.Err(),
        env.err_is_terminal && env.err_moves_cursor && !options.quiet, names);
  }
  std::vector<BoardEnd> ends(boards.size());
  std::vector<std::thread> threads;
  for (size_t n = 0; n < boards.size(); ++n) {
    threads.emplace_back([&, n] {
      // Everything of the board's run happens on its thread: its port
      // access and raised priority are the thread's own.
      RunReport board(report, names[n], lines.get(), n);
      ends[n].exit = run(n, OptionsForBoard(options, boards[n]), board);
      ends[n].summary = board.summary();
    });
  }
  for (std::thread& thread : threads) thread.join();
  return ends;
}

int CombinedExit(const std::vector<BoardEnd>& ends) {
  int exit = kExitOk;
  for (const BoardEnd& end : ends) exit = std::max(exit, end.exit);
  return exit;
}

std::string BoardExitWords(const std::vector<NamedBoard>& boards,
                           const std::vector<BoardEnd>& ends) {
  std::string words;
  for (size_t n = 0; n < boards.size(); ++n) {
    words += Format("%s%s %s", n == 0 ? "" : ", ", boards[n].name.c_str(),
                    ends[n].exit == kExitOk
                        ? "ok"
                        : Format("exit %d", ends[n].exit).c_str());
  }
  return words;
}

int RunChipCommandOnBoards(const CliOptions& o, CliEnv& env,
                           RunReport& report) {
  FilePath path;
  std::vector<NamedBoard> boards;
  int code = LoadNamedBoards(o, env, report, &path, &boards);
  if (code != kExitOk) return code;
  EventFields listed = EventFields::array();
  for (const NamedBoard& b : boards) listed.push_back(BoardFields(b));
  report.start()["boards"] = listed;
  code = CheckSeveralBoards(o, boards.size(), report);
  if (code != kExitOk) return code;
  const std::vector<BoardEnd> ends = RunOnBoards(
      o, env, report, boards,
      [&env](size_t, const CliOptions& board, RunReport& board_report) {
        return RunChipCommand(board, env, board_report);
      });
  code = CombinedExit(ends);
  if (boards.size() == 1) return code;
  EventFields each = EventFields::array();
  for (size_t n = 0; n < boards.size(); ++n)
    each.push_back({{"board", boards[n].name}, {"exit", ends[n].exit}});
  report.summary()["boards"] = each;
  if (!o.quiet || code != kExitOk) {
    report.Out() << Format("%s on %zu boards: ", o.command.c_str(),
                           boards.size())
                 << BoardExitWords(boards, ends) << "\n";
  }
  return code;
}
