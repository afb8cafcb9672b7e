#ifndef TARNWICK_CHIP_PARTS_H_
#define TARNWICK_CHIP_PARTS_H_

#include <cstdint>
#include <string>

#include "chip/chip_operations.h"

// A chip of the 89C51 family as its signature names it.
struct Part {
  const char* name;        // "89C51"
  uint32_t size;           // bytes of program memory
  Signature signature;     // the bytes at 30H, 31H and 32H
  const char* voltage;     // the programming voltage, "12 V" or "5 V"
};

// The part a signature names, or null when it names none of the table.
const Part* PartBySignature(const Signature& signature);

// The size of the part named `name` ("89c51" or "89c52", any case); 0 when
// there is none of that name.
uint32_t PartSizeByName(const std::string& name);

// The data lines read all high or all low: no chip drives them.
bool NoChipAnswers(const Signature& signature);

#endif  // TARNWICK_CHIP_PARTS_H_
