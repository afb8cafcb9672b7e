#include "sim/board_files.h"

#include <set>
#include <sstream>

#include "base/file.h"
#include "base/format.h"
#include "base/hex_number.h"

namespace {

std::string Trim(const std::string& s) {
  const size_t begin = s.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  return s.substr(begin, s.find_last_not_of(" \t\r") + 1 - begin);
}

// Splits "a:b:c" (or "a b c" with `separator` ' ') into its parts.
std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  if (separator == ' ') {
    std::istringstream in(text);
    std::string word;
    while (in >> word) parts.push_back(word);
    return parts;
  }
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(Trim(text.substr(start, end - start)));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// A line number, decimal, from 0 to `last`.
bool ParseLine(const std::string& text, int last, int* line) {
  if (text.empty() || text.size() > 2 ||
      text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  *line = std::stoi(text);
  return *line <= last;
}

// "line:level" (level 0 or 1) of a line from 0 to `last`.
bool ParseHeldLine(const std::string& value, int last, HeldLine* held,
                   std::string* why) {
  const std::vector<std::string> parts = Split(value, ':');
  if (parts.size() != 2 || !ParseLine(parts[0], last, &held->line) ||
      (parts[1] != "0" && parts[1] != "1")) {
    *why = Format("expected line:level, a line from 0 to %d and a level 0 "
                  "or 1", last);
    held->line = -1;
    return false;
  }
  held->high = parts[1] == "1";
  return true;
}

// Applies one "key = value" setting; false with the reason otherwise.
bool ApplySetting(const std::string& key, const std::string& value,
                  BoardSettings* s, std::string* why) {
  uint32_t v = 0;
  if (key == "rtl_base" || key == "epp_port") {
    if (!ParseHexNumber(value, 0xFFFF, &v)) {
      *why = "expected a port address, hexadecimal up to FFFF";
      return false;
    }
    (key == "rtl_base" ? s->rtl_base : s->epp_port) = static_cast<uint16_t>(v);
  } else if (key == "signature") {
    const std::vector<std::string> bytes = Split(value, ' ');
    if (bytes.size() != 3) {
      *why = "expected three hexadecimal bytes";
      return false;
    }
    for (int n = 0; n < 3; ++n) {
      if (!ParseHexNumber(bytes[n], 0xFF, &v)) {
        *why = "expected three hexadecimal bytes";
        return false;
      }
      s->signature[n] = static_cast<uint8_t>(v);
    }
  } else if (key == "chip") {
    if (value != "present" && value != "absent") {
      *why = "expected present or absent";
      return false;
    }
    s->chip_present = value == "present";
  } else if (key == "lines") {
    if (value != "settle" && value != "noisy") {
      *why = "expected settle or noisy";
      return false;
    }
    s->lines_settle = value == "settle";
  } else if (key == "stuck") {
    const std::vector<std::string> parts = Split(value, ':');
    uint32_t address = 0, zeros = 0, ones = 0;
    const uint32_t last = LargestPartSize() - 1;
    if (parts.size() != 3 || !ParseHexNumber(parts[0], last, &address) ||
        !ParseHexNumber(parts[1], 0xFF, &zeros) || !ParseHexNumber(parts[2], 0xFF, &ones)) {
      *why = Format("expected address:zeros:ones, hexadecimal, address up to "
                    "%X", unsigned{last});
      return false;
    }
    if (zeros & ones) {
      *why = "a bit cannot be stuck at 0 and at 1";
      return false;
    }
    if (s->stuck.count(static_cast<uint16_t>(address))) {
      *why = "address given twice";
      return false;
    }
    StuckBits& bits = s->stuck[static_cast<uint16_t>(address)];
    bits.zeros = static_cast<uint8_t>(zeros);
    bits.ones = static_cast<uint8_t>(ones);
  } else if (key == "flicker") {
    const std::vector<std::string> ends = Split(value, '-');
    uint32_t first = 0, last = 0;
    const uint32_t top = LargestPartSize() - 1;
    if (ends.size() > 2 || !ParseHexNumber(ends.front(), top, &first) ||
        !ParseHexNumber(ends.back(), top, &last) || last < first) {
      *why = Format("expected an address or a range first-last, "
                    "hexadecimal, up to %X", unsigned{top});
      return false;
    }
    for (uint32_t a = first; a <= last; ++a)
      s->flicker.insert(static_cast<uint16_t>(a));
  } else if (key == "part") {
    s->part = PartByName(value);
    if (s->part == nullptr) {
      *why = "expected 89c51 or 89c52";
      return false;
    }
  } else if (key == "stuck_data_line") {
    return ParseHeldLine(value, 7, &s->stuck_data_line, why);
  } else if (key == "stuck_address_line") {
    return ParseHeldLine(value, 13, &s->stuck_address_line, why);
  } else if (key == "swapped_address_lines") {
    const std::vector<std::string> parts = Split(value, ':');
    int* lines = s->swapped_address_lines;
    if (parts.size() != 2 || !ParseLine(parts[0], 13, &lines[0]) ||
        !ParseLine(parts[1], 13, &lines[1]) || lines[0] == lines[1]) {
      *why = "expected two different address lines from 0 to 13, as 8:9";
      lines[0] = lines[1] = -1;
      return false;
    }
  } else if (key == "driver") {
    if (value != "starts" && value != "fails") {
      *why = "expected starts or fails";
      return false;
    }
    s->driver_starts = value == "starts";
  } else if (key == "trace") {
    s->trace_file = value;
  } else {
    *why = "unknown key \"" + key + "\"";
    return false;
  }
  return true;
}

}  // namespace

bool ParseBoardSettings(const std::string& text, BoardSettings* settings,
                        std::string* error) {
  BoardSettings parsed;
  std::set<std::string> seen;
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    const size_t equals = line.find('=');
    std::string why;
    if (equals == std::string::npos) {
      why = "expected key = value";
    } else {
      const std::string key = Trim(line.substr(0, equals));
      if (key != "stuck" && key != "flicker" && !seen.insert(key).second) {
        why = "\"" + key + "\" given twice";
      } else {
        ApplySetting(key, Trim(line.substr(equals + 1)), &parsed, &why);
      }
    }
    if (!why.empty()) {
      *error = Format("line %d: %s", number, why.c_str());
      return false;
    }
  }
  // A part answers with its own signature unless told otherwise.
  if (!seen.count("signature")) {
    const Signature& own = parsed.part->signature;
    parsed.signature[0] = own.at30;
    parsed.signature[1] = own.at31;
    parsed.signature[2] = own.at32;
  }
  for (const auto& entry : parsed.stuck) {
    if (entry.first >= parsed.part->size) {
      *error = Format("stuck address %X is beyond the %u-byte chip",
                      unsigned{entry.first}, unsigned{parsed.part->size});
      return false;
    }
  }
  const uint16_t last_flicker =
      parsed.flicker.empty() ? 0 : *parsed.flicker.rbegin();
  if (last_flicker >= parsed.part->size) {
    *error = Format("flicker address %X is beyond the %u-byte chip",
                    unsigned{last_flicker}, unsigned{parsed.part->size});
    return false;
  }
  *settings = parsed;
  return true;
}

bool PrepareBoardFolder(const FilePath& dir, std::string* why) {
  std::error_code ec;
  const std::string name = PathForDisplay(dir);
  if (!std::filesystem::is_directory(dir, ec)) {
    if (std::filesystem::exists(std::filesystem::symlink_status(dir, ec))) {
      *why = name + " is not a folder";
      return false;
    }
    std::filesystem::create_directories(dir, ec);
    if (ec) {
      *why = "cannot make the folder " + name + ": " + ec.message();
      return false;
    }
    // A new board holds an erased chip of the default part.
    if (!SaveChipFile(dir, std::vector<uint8_t>(BoardSettings().part->size,
                                                0xFF))) {
      *why = "cannot write the board's files in " + name;
      return false;
    }
  }
  std::string cannot;
  if (!CanWriteFile(dir / kBoardChipFileName, true, &cannot)) {
    *why = "cannot write the board's files in " + name + ": " + cannot;
    return false;
  }
  return true;
}

bool LoadBoardFiles(const FilePath& dir, BoardSettings* settings,
                    std::vector<uint8_t>* flash, std::string* error) {
  *settings = BoardSettings();
  flash->assign(settings->part->size, 0xFF);  // until the settings tell
  const uint32_t default_size = settings->part->size;
  std::string text;
  const FilePath settings_path = dir / kBoardSettingsFileName;
  if (ReadFileToString(settings_path, &text) == ReadResult::kRead) {
    BoardSettings parsed;
    std::string why;
    if (!ParseBoardSettings(text, &parsed, &why)) {
      *error = PathForDisplay(settings_path) + " " + why;
      return false;
    }
    *settings = parsed;
    flash->assign(parsed.part->size, 0xFF);
  }
  const FilePath chip_path = dir / kBoardChipFileName;
  if (ReadFileToString(chip_path, &text) == ReadResult::kRead) {
    if (text.size() != settings->part->size) {
      *error = Format("%s holds %u bytes, not %u",
                      PathForDisplay(chip_path).c_str(),
                      static_cast<unsigned>(text.size()),
                      static_cast<unsigned>(settings->part->size));
      *settings = BoardSettings();
      flash->assign(default_size, 0xFF);
      return false;
    }
    flash->assign(text.begin(), text.end());
  }
  return true;
}

bool SaveChipFile(const FilePath& dir, const std::vector<uint8_t>& flash) {
  return WriteStringToFileSafely(dir / kBoardChipFileName,
                                 std::string(flash.begin(), flash.end())) ==
         SaveResult::kSaved;
}

