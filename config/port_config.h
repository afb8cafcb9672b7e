#ifndef TARNWICK_CONFIG_PORT_CONFIG_H_
#define TARNWICK_CONFIG_PORT_CONFIG_H_

#include <cstdint>
#include <string>

#include "base/file.h"
#include "link/board_ports.h"

// The configuration file beside the executable that moves the programmer to
// other I/O addresses, for example:
//   [TARNWICK]
//   RTL8139ADDR=c000;
//   EPPADDR=378;
constexpr char kPortConfigFileName[] = "start.ini";

// Every character is one hexadecimal digit; characters that are not hex
// digits count as 0. Bits shifted out of 32 are lost. "0x278" gives 0x278,
// "378 " gives 0x3780.
uint32_t ParseHexValue(const char* text);

// Port addresses found in the text of a configuration file. Each key is
// found by its first occurrence anywhere, case-sensitive; its value is
// everything up to the next ";", untrimmed. A key that is absent, a value
// with no ";" after it, an empty value, a value over 255 characters, or one
// that parses above 0xFFFF sets that address to its default (0xC000 or
// 0x378). The text ends at its first NUL byte, if any.
BoardPorts ParsePortConfig(const std::string& text);

// Told, straight after the file's full path, when it cannot be opened.
constexpr char kCannotBeOpened[] = "不能被打开";

// Reads the configuration file at `path` into *ports. When it cannot be
// opened for reading, returns false and keeps them. The file is only read.
bool LoadPortConfig(const FilePath& path, BoardPorts* ports);

#endif  // TARNWICK_CONFIG_PORT_CONFIG_H_
