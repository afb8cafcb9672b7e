#include "chip/failure_analysis.h"

namespace {

int Ones(uint32_t bits) {
  int n = 0;
  for (; bits != 0; bits &= bits - 1) ++n;
  return n;
}

// Whether address line `line` (and `other`, when not negative: the two
// swapped) explains what was read at `f`.
bool Explains(const ByteFailure& f, const std::vector<uint8_t>& wanted,
              int line, int other) {
  const uint32_t a = f.address;
  if (other >= 0) {
    // Swapped lines move only the addresses where the two bits differ, to
    // the address with both flipped.
    if (((a >> line) & 1) == ((a >> other) & 1)) return false;
    return f.actual == wanted[a ^ (1u << line | 1u << other)];
  }
  // A stuck line makes a read land on the partner, or a write of both
  // halves land on one cell, which then holds both bytes ANDed.
  const uint8_t partner = wanted[a ^ 1u << line];
  return f.actual == partner || f.actual == (wanted[a] & partner);
}

}  // namespace

FailureAnalysis AnalyseFailures(const std::vector<ByteFailure>& failures,
                                const std::vector<uint8_t>& wanted) {
  FailureAnalysis r;
  r.addresses = static_cast<uint32_t>(failures.size());
  uint32_t wrong[8] = {}, only[8] = {};
  for (const ByteFailure& f : failures) {
    r.set_bits += Ones(f.actual & ~f.expected & 0xFFu);
    r.cleared_bits += Ones(f.expected & ~f.actual & 0xFFu);
    const uint32_t differ = f.expected ^ f.actual;
    for (int bit = 0; bit < 8; ++bit) {
      wrong[bit] += (differ >> bit) & 1;
      only[bit] += differ == 1u << bit;
    }
  }
  int best = 0;
  for (int bit = 1; bit < 8; ++bit)
    if (only[bit] > only[best]) best = bit;
  if (only[best] * 2 > r.addresses && wrong[best] >= kMinPatternAddresses) {
    r.data_bit = best;
    r.data_bit_failures = wrong[best];
  }

  int lines = 0;
  while ((1u << lines) < wanted.size() && lines < 14) ++lines;
  uint32_t best_count = 0;
  // One line each, then every pair; a pair must explain more to win.
  for (int other = -1; other < lines; ++other) {
    for (int line = 0; line < (other < 0 ? lines : other); ++line) {
      uint32_t explained = 0, telling = 0;
      for (const ByteFailure& f : failures) {
        if (f.address >= wanted.size() || !Explains(f, wanted, line, other))
          continue;
        ++explained;
        telling += f.actual != 0xFF;
      }
      if (explained * 10 < r.addresses * 9 ||
          telling < kMinPatternAddresses || explained <= best_count)
        continue;
      best_count = explained;
      r.address_line = line;
      r.swapped_with =
          other < 0 ? std::nullopt : std::optional<int>(other);
      r.address_line_failures = explained;
    }
  }
  return r;
}
