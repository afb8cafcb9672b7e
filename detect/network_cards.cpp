#include "detect/network_cards.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "base/format.h"
#include "detect/rtl8139_ids.h"
#include "detect/system_files.h"

namespace {

namespace fs = std::filesystem;

// The flag of an I/O port range in a sysfs `resource` line (IORESOURCE_IO).
constexpr uint64_t kIoResourceFlag = 0x100;

// Reads a 16-bit id file such as `vendor` ("0x10ec\n").
bool ReadId(const FilePath& path, uint16_t* id, std::string* problem) {
  std::string text;
  if (!ReadSystemFile(path, &text, problem)) return false;
  const std::optional<uint64_t> value = ParseHexNumber(text);
  if (!value || *value > 0xFFFF) {
    *problem = PathForDisplay(path) + ": not a PCI id";
    return false;
  }
  *id = static_cast<uint16_t>(*value);
  return true;
}

// The slot names under `devices`, sorted; a listing error goes to
// `*problems`.
std::vector<FilePath> ListDevices(const FilePath& devices,
                                  std::vector<std::string>* problems) {
  std::vector<FilePath> slots;
  std::error_code error;
  fs::directory_iterator it(devices, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error))
    slots.push_back(it->path());
  if (error) {
    problems->push_back("cannot list " + PathForDisplay(devices) + ": " +
                        error.message());
  }
  std::sort(slots.begin(), slots.end());
  return slots;
}

// Sets the card's I/O base from the first I/O range in its `resource`
// file, whose lines are "<start> <end> <flags>" in hexadecimal, or says
// why there is none.
void ReadIoBase(const FilePath& resource_path, NetworkCard* card) {
  std::string text;
  if (!ReadSystemFile(resource_path, &text, &card->problem)) return;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string start_text, end_text, flags_text;
    words >> start_text >> end_text >> flags_text;
    const std::optional<uint64_t> start = ParseHexNumber(start_text);
    const std::optional<uint64_t> flags = ParseHexNumber(flags_text);
    if (!start || !flags || (*flags & kIoResourceFlag) == 0) continue;
    if (*start == 0) {
      card->problem = "its I/O resource has no address assigned";
    } else if (*start > 0xFFFF) {
      card->problem = Format("its I/O base %llx lies above ffff",
                             static_cast<unsigned long long>(*start));
    } else {
      card->io_base = static_cast<uint16_t>(*start);
    }
    return;
  }
  card->problem = "no I/O resource";
}

}  // namespace

std::vector<NetworkCard> FindNetworkCards(const FilePath& root,
                                          std::vector<std::string>* problems) {
  std::vector<NetworkCard> cards;
  for (const FilePath& dir :
       ListDevices(root / "sys/bus/pci/devices", problems)) {
    PciIds ids;
    std::string problem;
    bool read = ReadId(dir / "vendor", &ids.vendor, &problem) &&
                ReadId(dir / "device", &ids.device, &problem);
    if (read && Rtl8139NeedsSubsystem(ids.vendor, ids.device)) {
      read =
          ReadId(dir / "subsystem_vendor", &ids.subsystem_vendor, &problem) &&
          ReadId(dir / "subsystem_device", &ids.subsystem_device, &problem);
    }
    if (!read) {
      problems->push_back(problem);
      continue;
    }
    if (!IsRtl8139(ids)) continue;
    NetworkCard card;
    card.slot = PathForDisplay(dir.filename());
    card.vendor = ids.vendor;
    card.device = ids.device;
    ReadIoBase(dir / "resource", &card);
    cards.push_back(card);
  }
  return cards;
}
