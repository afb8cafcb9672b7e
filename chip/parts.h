#ifndef TARNWICK_CHIP_PARTS_H_
#define TARNWICK_CHIP_PARTS_H_

#include <cstdint>
#include <string>

// The three signature bytes.
struct Signature {
  uint8_t at30 = 0, at31 = 0, at32 = 0;
};

// A chip of the 89C51 family as its signature names it. The part table is
// the one place that knows the family's sizes.
struct Part {
  const char* name;        // "89C51"
  uint32_t size;           // bytes of program memory
  Signature signature;     // the bytes at 30H, 31H and 32H
  const char* voltage;     // the programming voltage, "12 V" or "5 V"
};

// The part a signature names, or null when it names none of the table.
const Part* PartBySignature(const Signature& signature);

// The first part of the table named `name` ("89c51" or "89c52", any case);
// null when none has that name.
const Part* PartByName(const std::string& name);

// The program memory of the table's largest part.
uint32_t LargestPartSize();

// The data lines read all high or all low: no chip drives them.
bool NoChipAnswers(const Signature& signature);

// What a chip command may take the part in the socket to be.
enum class PartVerdict {
  kNamed,    // the part the user named, whatever the signature says
  kFound,    // the part the signature names
  kAssumed,  // the signature names no part: the smallest one is taken
  kNoChip,   // refused: no chip answers
  kUnknown,  // refused: the signature names no part, and the command
             // would change the chip
  kContradicted,  // refused: the signature names another part than the
                  // one named
};

struct PartChoice {
  PartVerdict verdict = PartVerdict::kNoChip;
  uint32_t size = 0;           // bytes of the part taken; 0 when refused
  const char* name = nullptr;  // the part taken ("89C51"); null when refused
};

// Settles the part a command works on. A signature of no chip is refused
// unless `force`; then the part named by `named` (a PartByName name, or
// empty for none) wins, unless the signature names another part and not
// `force`; then the part the signature names; an unknown signature is
// refused for a command that `changes_chip` unless `force`, and otherwise
// the smallest part is assumed.
PartChoice SettlePart(const Signature& signature, const std::string& named,
                      bool force, bool changes_chip);

#endif  // TARNWICK_CHIP_PARTS_H_
