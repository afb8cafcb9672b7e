#include "config/boards_file.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

#include "base/format.h"
#include "base/hex_number.h"

namespace {

constexpr size_t kMaxNameLength = 32;

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool GoodName(const std::string& name) {
  if (name.empty() || name.size() > kMaxNameLength || name == "all")
    return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' ||
           c == '_' || c == '.';
  });
}

// A board's section as read, before it is checked whole.
struct Section {
  NamedBoard board;
  std::map<std::string, int> keys;  // key -> its line
};

// Checks a finished section. False, with *error, when keys are missing or
// mixed.
bool Finish(const Section& s, std::string* error) {
  const bool sim = s.keys.count("sim") > 0;
  const bool rtl = s.keys.count("rtl-base") > 0;
  const bool epp = s.keys.count("epp-port") > 0;
  const auto fail = [&](const std::string& what) {
    *error = Format("line %d: board %s: %s", s.board.line,
                    s.board.name.c_str(), what.c_str());
    return false;
  };
  if (sim && (rtl || epp))
    return fail("give either sim or rtl-base and epp-port, not both");
  if (!sim && !(rtl && epp))
    return fail(rtl || epp ? "needs both rtl-base and epp-port"
                           : "needs rtl-base and epp-port, or sim");
  return true;
}

// The first board before `n` that shares a resource with boards[n].
bool Shares(const std::vector<NamedBoard>& boards, size_t n,
            std::string* error) {
  const NamedBoard& b = boards[n];
  for (size_t k = 0; k < n; ++k) {
    const NamedBoard& a = boards[k];
    std::string what;
    if (a.simulated && b.simulated && a.sim_dir == b.sim_dir) {
      what = "the simulated board's folder";
    } else if (!a.simulated && !b.simulated) {
      if (a.ports.rtl_base == b.ports.rtl_base)
        what = Format("the network card at %X", unsigned{b.ports.rtl_base});
      else if (a.ports.epp_port == b.ports.epp_port)
        what = Format("the parallel port at %X", unsigned{b.ports.epp_port});
    }
    if (!what.empty()) {
      *error = Format("line %d: boards %s and %s share %s", b.line,
                      a.name.c_str(), b.name.c_str(), what.c_str());
      return true;
    }
  }
  return false;
}

}  // namespace

bool ParseBoardsFile(const std::string& text, const FilePath& dir,
                     std::vector<NamedBoard>* boards, std::string* error) {
  std::vector<Section> sections;
  std::istringstream in(text);
  std::string raw;
  int line = 0;
  const auto fail = [&](const std::string& what) {
    *error = Format("line %d: %s", line, what.c_str());
    return false;
  };
  while (std::getline(in, raw)) {
    ++line;
    const std::string s = Trim(raw);
    if (s.empty() || s[0] == '#' || s[0] == ';') continue;
    if (s[0] == '[') {
      if (s.back() != ']') return fail("a section line ends with ']'");
      const std::string name = Trim(s.substr(1, s.size() - 2));
      if (!GoodName(name))
        return fail("\"" + name + "\" is not a board name (letters, digits, "
                    "'-', '_', '.', at most 32; not \"all\")");
      for (const Section& other : sections)
        if (other.board.name == name)
          return fail("board " + name + " is named twice (first on line " +
                      std::to_string(other.board.line) + ")");
      if (!sections.empty() && !Finish(sections.back(), error)) return false;
      sections.emplace_back();
      sections.back().board.name = name;
      sections.back().board.line = line;
      continue;
    }
    const size_t eq = s.find('=');
    if (eq == std::string::npos)
      return fail("expected [name] or key = value");
    if (sections.empty()) return fail("a key before the first [board]");
    Section& section = sections.back();
    const std::string key = Trim(s.substr(0, eq));
    const std::string value = Trim(s.substr(eq + 1));
    if (key != "rtl-base" && key != "epp-port" && key != "sim")
      return fail("unknown key \"" + key +
                  "\" (the keys are rtl-base, epp-port and sim)");
    if (section.keys.count(key))
      return fail(key + " given twice for board " + section.board.name);
    section.keys[key] = line;
    if (value.empty()) return fail(key + ": the value is empty");
    if (key == "sim") {
      const FilePath folder = PathFromUtf8(value);
      section.board.simulated = true;
      section.board.sim_dir =
          (folder.is_absolute() ? folder : dir / folder).lexically_normal();
      continue;
    }
    uint32_t port = 0;
    if (!ParseHexNumber(value, 0xFFFF, &port))
      return fail(key + ": expected a hexadecimal port address up to FFFF, "
                  "not \"" + value + "\"");
    (key == "rtl-base" ? section.board.ports.rtl_base
                       : section.board.ports.epp_port) =
        static_cast<uint16_t>(port);
  }
  if (!sections.empty() && !Finish(sections.back(), error)) return false;
  std::vector<NamedBoard> read;
  for (const Section& section : sections) {
    read.push_back(section.board);
    if (Shares(read, read.size() - 1, error)) return false;
  }
  *boards = std::move(read);
  return true;
}

std::vector<FilePath> BoardsFileCandidates(const char* xdg_config_home,
                                           const char* home) {
  std::vector<FilePath> candidates;
  if (xdg_config_home != nullptr && *xdg_config_home != '\0') {
    candidates.push_back(PathFromUtf8(xdg_config_home) / "tarnwick" /
                         kBoardsFileName);
  } else if (home != nullptr && *home != '\0') {
    candidates.push_back(PathFromUtf8(home) / ".config" / "tarnwick" /
                         kBoardsFileName);
  }
  candidates.push_back(FilePath("/etc/tarnwick") / kBoardsFileName);
  return candidates;
}

bool SelectBoards(const std::vector<NamedBoard>& boards,
                  const std::vector<std::string>& names,
                  std::vector<NamedBoard>* chosen, std::string* error) {
  std::vector<NamedBoard> picked;
  const auto add = [&](const NamedBoard& b) {
    for (const NamedBoard& p : picked)
      if (p.name == b.name) return;
    picked.push_back(b);
  };
  for (const std::string& name : names) {
    if (name == "all") {
      for (const NamedBoard& b : boards) add(b);
      continue;
    }
    const auto found =
        std::find_if(boards.begin(), boards.end(),
                     [&](const NamedBoard& b) { return b.name == name; });
    if (found == boards.end()) {
      *error = "no board named \"" + name + "\" in the boards file";
      return false;
    }
    add(*found);
  }
  if (picked.empty()) {
    *error = "the boards file names no board";
    return false;
  }
  *chosen = std::move(picked);
  return true;
}
