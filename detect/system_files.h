#ifndef TARNWICK_DETECT_SYSTEM_FILES_H_
#define TARNWICK_DETECT_SYSTEM_FILES_H_

#include <cstdint>
#include <optional>
#include <string>

#include "base/file.h"

// Reads one of the kernel's small text files (sysfs, /proc). On failure
// returns false and sets `*problem` to "cannot read <path>: <why>".
bool ReadSystemFile(const FilePath& path, std::string* text,
                    std::string* problem);

// The hexadecimal number `text` spells, with or without "0x", ignoring
// blanks and a line end around it; nullopt for anything else.
std::optional<uint64_t> ParseHexNumber(const std::string& text);

#endif  // TARNWICK_DETECT_SYSTEM_FILES_H_
