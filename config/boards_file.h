#ifndef TARNWICK_CONFIG_BOARDS_FILE_H_
#define TARNWICK_CONFIG_BOARDS_FILE_H_

#include <string>
#include <vector>

#include "base/file.h"
#include "link/board_ports.h"

// Named boards, so that several boards on one PC are chosen by a stable
// name rather than by their ports. An INI file with a section a board:
//
//   # the bench by the window
//   [left]
//   rtl-base = C000
//   epp-port = 378
//
//   [trial]
//   sim = boards/trial        (a simulated board's folder, relative to
//                              the file's own folder)
//
// Names are letters, digits, '-', '_' and '.', at most 32 characters; "all"
// is reserved (it means every board). Values are hexadecimal ("0x"
// optional). Blank lines are ignored; '#' and ';' begin comment lines.
constexpr char kBoardsFileName[] = "boards.ini";

// One board of the file.
struct NamedBoard {
  std::string name;
  bool simulated = false;
  BoardPorts ports;  // real boards
  FilePath sim_dir;  // simulated boards, made absolute against the file
  int line = 0;      // the line of its section, for messages
};

// Reads the boards file's text; `dir` is the folder relative sim folders
// are taken from. False, with *error as "line N: what", when a line is not
// understood, a key is unknown, repeated or missing (a real board needs
// both rtl-base and epp-port, a simulated one only sim), a name is bad or
// given twice, or two boards share a network card, a parallel port or a
// simulated board's folder. An empty file is no error.
bool ParseBoardsFile(const std::string& text, const FilePath& dir,
                     std::vector<NamedBoard>* boards, std::string* error);

// Where the boards file is looked for when none is named, in order:
// $XDG_CONFIG_HOME/tarnwick/boards.ini (~/.config when XDG_CONFIG_HOME is
// unset or empty), then /etc/tarnwick/boards.ini. The arguments are the
// values of XDG_CONFIG_HOME and HOME (null when unset).
std::vector<FilePath> BoardsFileCandidates(const char* xdg_config_home,
                                           const char* home);

// The boards of `names` (each once, in the order given; "all" for every
// board of the file, in the file's order). False, with *error naming the
// first name that is not in the file, otherwise.
bool SelectBoards(const std::vector<NamedBoard>& boards,
                  const std::vector<std::string>& names,
                  std::vector<NamedBoard>* chosen, std::string* error);

#endif  // TARNWICK_CONFIG_BOARDS_FILE_H_
