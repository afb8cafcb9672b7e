#ifndef TARNWICK_CHIP_FAILURE_ANALYSIS_H_
#define TARNWICK_CHIP_FAILURE_ANALYSIS_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "chip/progress.h"

// What the failing addresses of a write, verify or blank check point at,
// bit by bit: a value for the front ends to word or carry.
struct FailureAnalysis {
  uint32_t addresses = 0;  // failing addresses looked at
  // Bits read as 1 where 0 was wanted: they did not program (programming
  // voltage, pulse, or a data line that does not reach the chip).
  uint32_t set_bits = 0;
  // Bits read as 0 where 1 was wanted: the chip needs an erase, or a line
  // is shorted.
  uint32_t cleared_bits = 0;
  // The data bit that is the only wrong bit at most failing addresses (and
  // at no fewer than kMinPatternAddresses), and how many failing addresses
  // have it wrong; unset when no one bit stands out.
  std::optional<int> data_bit;
  uint32_t data_bit_failures = 0;
  // An address line (0-13) the failures point at: where the chip reads
  // alike at every two addresses that differ in this line only (a line
  // stuck at one level makes both halves one), or, with `swapped_with`,
  // where it reads as if this line and that one were swapped. Set when it
  // explains nine in ten failing addresses, and no fewer than
  // kMinPatternAddresses that read something other than FF.
  std::optional<int> address_line;
  std::optional<int> swapped_with;
  uint32_t address_line_failures = 0;  // failing addresses it explains
};

// A pattern is named only when this many failing addresses show it.
constexpr uint32_t kMinPatternAddresses = 3;

// Analyses `failures` (at distinct addresses below wanted.size()) against
// `wanted`, the bytes wanted at every address of the chip from 0: the
// image, or FF for a blank check. Memory and time grow with the chip's
// size only.
FailureAnalysis AnalyseFailures(const std::vector<ByteFailure>& failures,
                                const std::vector<uint8_t>& wanted);

#endif  // TARNWICK_CHIP_FAILURE_ANALYSIS_H_
