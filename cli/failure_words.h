#ifndef TARNWICK_CLI_FAILURE_WORDS_H_
#define TARNWICK_CLI_FAILURE_WORDS_H_

#include <cstddef>
#include <string>
#include <vector>

#include "chip/failure_analysis.h"

// The lines a summary adds about its failures (chip/failure_analysis.h):
// the bits read 1 where 0 was wanted and 0 where 1 was wanted, and the data
// line or address line they point at, each line indented by two spaces and
// ended. Empty when there were no failures.
std::string DescribeFailures(const FailureAnalysis& analysis);

// Failing addresses listed in a summary; the rest are counted.
constexpr size_t kListedFailures = 10;

// The first kListedFailures failures, a line each with the words for the
// byte wanted and the byte found ("  0003: wrote 41, read back 40"), and
// how many more there are.
std::string ListFailures(const std::vector<ByteFailure>& failures,
                         const char* expected, const char* actual);

// `n` with thousands separated by commas: "4,096".
std::string Thousands(uint32_t n);

#endif  // TARNWICK_CLI_FAILURE_WORDS_H_
