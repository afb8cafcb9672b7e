#include "detect/parallel_ports.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>

#include "base/format.h"
#include "detect/system_files.h"

namespace {

struct Range {
  uint64_t start;
  uint64_t end;
};

// The N of "parportN"; nullopt for any other name.
std::optional<unsigned long> PortNumber(const std::string& name) {
  const std::string prefix = "parport";
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix))
    return std::nullopt;
  const std::string digits = name.substr(prefix.size());
  if (digits.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::strtoul(digits.c_str(), nullptr, 10);
}

// The range the data register starts: the one another range directly
// follows (the EPP registers after the base ones), else the first.
const Range& BaseRange(const std::vector<Range>& ranges) {
  for (const Range& base : ranges) {
    for (const Range& next : ranges) {
      if (next.start == base.end + 1) return base;
    }
  }
  return ranges.front();
}

}  // namespace

std::vector<ParallelPort> FindParallelPorts(
    const FilePath& root, std::vector<std::string>* problems) {
  const FilePath path = root / "proc/ioports";
  std::string text;
  std::string problem;
  if (!ReadSystemFile(path, &text, &problem)) {
    problems->push_back(problem);
    return {};
  }
  // Lines are "<start>-<end> : <name>", indented by their nesting.
  std::map<unsigned long, std::pair<std::string, std::vector<Range>>> ports;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t colon = line.find(" : ");
    const size_t dash = line.find('-');
    if (colon == std::string::npos || dash == std::string::npos ||
        dash > colon) {
      continue;
    }
    std::string name = line.substr(colon + 3);
    while (!name.empty() && (name.back() == '\r' || name.back() == ' '))
      name.pop_back();
    const std::optional<unsigned long> number = PortNumber(name);
    const std::optional<uint64_t> start = ParseHexNumber(line.substr(0, dash));
    const std::optional<uint64_t> end =
        ParseHexNumber(line.substr(dash + 1, colon - dash - 1));
    if (!number || !start || !end) continue;
    auto& port = ports[*number];
    port.first = name;
    port.second.push_back({*start, *end});
  }

  std::vector<ParallelPort> found;
  for (const auto& [number, port] : ports) {
    const Range& base = BaseRange(port.second);
    if (base.start == 0) {
      problems->push_back(
          PathForDisplay(path) + " shows " + port.first +
          " at address 0: the kernel hides port addresses from users other "
          "than root; run as root to see it");
      continue;
    }
    if (base.start > 0xFFFF) {
      problems->push_back(Format(
          "%s shows %s at %llx, above ffff", PathForDisplay(path).c_str(),
          port.first.c_str(), static_cast<unsigned long long>(base.start)));
      continue;
    }
    found.push_back({port.first, static_cast<uint16_t>(base.start)});
  }
  return found;
}
