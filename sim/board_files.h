#ifndef TARNWICK_SIM_BOARD_FILES_H_
#define TARNWICK_SIM_BOARD_FILES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/file.h"
#include "sim/sim_board.h"

// The simulated board kept in a directory, so that a later run sees what an
// earlier one programmed: its settings and its chip's content.
//
// The settings file holds "key = value" lines; blank lines are ignored and
// "#" starts a comment that runs to the end of the line. Numbers are
// hexadecimal, with or without "0x". Keys, each at most once except stuck:
//   part = 89c51             or 89c52: 8 KB, address lines 0-12, signature
//                            1E 52 FF unless `signature` says otherwise
//   rtl_base = C000          I/O base of the network card
//   epp_port = 378           parallel-port data register
//   signature = 1E 51 FF     the bytes at 30H, 31H and 32H
//   chip = present           or absent: the data lines float high
//   lines = settle           or noisy: no two reads of the data lines agree
//   stuck = 123:01:80        address:zeros:ones, bits that always read 0 or
//                            1 at that address (repeatable, one per address)
//   stuck_data_line = 3:0    data line 3 reads and programs as 0 at every
//                            address (line:level, level 0 or 1)
//   stuck_address_line = 11:0  the chip sees address line 11 at 0 always
//   swapped_address_lines = 8:9  address lines 8 and 9 reach each other's pin
//   driver = starts          or fails: the simulated port-access libraries
//                            refuse port access, as one whose driver did not
//                            start
//   flicker = 100-10F        an address or a range whose byte reads with
//                            bit 0 flipped at every other access (repeatable)
//   trace = trace.txt        file the trace is appended to, relative to the
//                            directory; empty for none
// Line numbers are decimal. A missing key keeps its default (as above, with
// no stuck bits, no flickering addresses and no trace). Unknown keys and bad
// values are errors.
constexpr char kBoardSettingsFileName[] = "simboard.ini";

// The chip's content: exactly the part's bytes (4096 or 8192), raw, byte n
// at chip address n.
constexpr char kBoardChipFileName[] = "simchip.bin";

// Makes the board's folder `dir`, with an erased chip of the default part,
// when it is missing. False, with the reason in *why, when `dir` is
// something else than a folder, cannot be made, or would not let the
// board's files be written.
bool PrepareBoardFolder(const FilePath& dir, std::string* why);

// Reads both files from the folder `dir`. A missing settings
// file gives the default settings, a missing chip file an erased chip (all
// 0xFF). Returns false, with the reason in `*error`, for a malformed
// settings file or a chip file that does not hold the part's bytes; the outputs
// then hold the defaults.
bool LoadBoardFiles(const FilePath& dir, BoardSettings* settings,
                    std::vector<uint8_t>* flash, std::string* error);

// Replaces the chip file with `flash` (the part's bytes) safely. False when
// it cannot be written completely; the old file then stays.
bool SaveChipFile(const FilePath& dir, const std::vector<uint8_t>& flash);

// The settings file's parser. It fills `*settings` from defaults; on an
// error it returns false with the line and the reason.
bool ParseBoardSettings(const std::string& text, BoardSettings* settings,
                        std::string* error);

#endif  // TARNWICK_SIM_BOARD_FILES_H_
