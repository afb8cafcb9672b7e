#include "cli/failure_words.h"

#include "base/format.h"
#include "link/socket_pins.h"

namespace {

const char* Plural(uint32_t n, const char* one, const char* more) {
  return n == 1 ? one : more;
}

}  // namespace

std::string ListFailures(const std::vector<ByteFailure>& failures,
                         const char* expected, const char* actual) {
  std::string text;
  for (size_t n = 0; n < failures.size() && n < kListedFailures; ++n) {
    const ByteFailure& f = failures[n];
    text += Format("  %04X: %s %02X, %s %02X\n", f.address, expected,
                   unsigned{f.expected}, actual, unsigned{f.actual});
  }
  if (failures.size() > kListedFailures)
    text += Format("  ... and %zu more\n", failures.size() - kListedFailures);
  return text;
}

std::string Thousands(uint32_t n) {
  std::string digits = Format("%u", n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<size_t>(at), ",");
  return digits;
}

std::string DescribeFailures(const FailureAnalysis& a) {
  if (a.addresses == 0) return "";
  auto count = [](uint32_t n) {
    return n == 0 ? std::string("none") : Thousands(n);
  };
  std::string text = "  bits wrong: " + count(a.set_bits) +
                     " read 1 where 0 was wanted";
  if (a.set_bits != 0) {
    text += " (did not program: the programming voltage, the pulse, or a "
            "dead data line)";
  }
  text += "; " + count(a.cleared_bits) + " read 0 where 1 was wanted";
  if (a.cleared_bits != 0) text += " (needs an erase, or a short)";
  text += "\n";
  if (a.data_bit) {
    text += Format("  bit %d failed at %s %s: is data line %d (%s) "
                   "connected?\n",
                   *a.data_bit, Thousands(a.data_bit_failures).c_str(),
                   Plural(a.data_bit_failures, "address", "addresses"),
                   *a.data_bit,
                   DescribePin(DataLinePin(*a.data_bit)).c_str());
  }
  if (a.address_line && a.swapped_with) {
    text += Format("  %s failing addresses read as if address lines %d and "
                   "%d were swapped: check the wiring of %s and %s\n",
                   Thousands(a.address_line_failures).c_str(),
                   *a.address_line, *a.swapped_with,
                   DescribePin(AddressLinePin(*a.address_line)).c_str(),
                   DescribePin(AddressLinePin(*a.swapped_with)).c_str());
  } else if (a.address_line) {
    text += Format("  %s failing addresses read alike with the address %XH "
                   "away: is address line %d (%s) stuck or not connected?\n",
                   Thousands(a.address_line_failures).c_str(),
                   1u << *a.address_line, *a.address_line,
                   DescribePin(AddressLinePin(*a.address_line)).c_str());
  }
  return text;
}
