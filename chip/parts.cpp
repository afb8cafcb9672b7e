#include "chip/parts.h"

#include <cctype>
#include <cstring>

namespace {

// 1E is the manufacturer's code, 51 or 52 the device, and 32H tells the
// programming voltage (FF: 12 V, 05: 5 V). The 89C52 takes one more
// address line (register bit 12) and is programmed the same way.
const Part kParts[] = {
    {"89C51", 4096, {0x1E, 0x51, 0xFF}, "12 V"},
    {"89C51", 4096, {0x1E, 0x51, 0x05}, "5 V"},
    {"89C52", 8192, {0x1E, 0x52, 0xFF}, "12 V"},
    {"89C52", 8192, {0x1E, 0x52, 0x05}, "5 V"},
};

bool Same(const Signature& a, const Signature& b) {
  return a.at30 == b.at30 && a.at31 == b.at31 && a.at32 == b.at32;
}

}  // namespace

const Part* PartBySignature(const Signature& signature) {
  for (const Part& part : kParts)
    if (Same(part.signature, signature)) return &part;
  return nullptr;
}

const Part* PartByName(const std::string& name) {
  std::string upper;
  for (char c : name)
    upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const Part& part : kParts)
    if (upper == part.name) return &part;
  return nullptr;
}

uint32_t LargestPartSize() {
  uint32_t largest = 0;
  for (const Part& part : kParts)
    if (part.size > largest) largest = part.size;
  return largest;
}

bool NoChipAnswers(const Signature& s) {
  return (s.at30 == 0xFF && s.at31 == 0xFF && s.at32 == 0xFF) ||
         (s.at30 == 0x00 && s.at31 == 0x00 && s.at32 == 0x00);
}

PartChoice SettlePart(const Signature& signature, const std::string& named,
                      bool force, bool changes_chip) {
  if (NoChipAnswers(signature) && !force) return {PartVerdict::kNoChip};
  const Part* found = PartBySignature(signature);
  if (const Part* part = named.empty() ? nullptr : PartByName(named)) {
    if (found != nullptr && std::strcmp(found->name, part->name) != 0 &&
        !force)
      return {PartVerdict::kContradicted};
    return {PartVerdict::kNamed, part->size, part->name};
  }
  if (found != nullptr) return {PartVerdict::kFound, found->size, found->name};
  if (changes_chip && !force) return {PartVerdict::kUnknown};
  const Part* smallest = &kParts[0];
  for (const Part& part : kParts)
    if (part.size < smallest->size) smallest = &part;
  return {PartVerdict::kAssumed, smallest->size, smallest->name};
}
