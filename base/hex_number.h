#ifndef TARNWICK_BASE_HEX_NUMBER_H_
#define TARNWICK_BASE_HEX_NUMBER_H_

#include <cstdint>
#include <string>

// A hexadecimal number as people write one in settings and options: digits
// in either case, "0x" optional, nothing else, at most `max`. False (and
// *value untouched) otherwise.
bool ParseHexNumber(const std::string& text, uint32_t max, uint32_t* value);

#endif  // TARNWICK_BASE_HEX_NUMBER_H_
