#ifndef TARNWICK_CLI_FAILURE_WORDS_H_
#define TARNWICK_CLI_FAILURE_WORDS_H_

#include <string>

#include "chip/failure_analysis.h"

// The lines a summary adds about its failures (chip/failure_analysis.h):
// the bits read 1 where 0 was wanted and 0 where 1 was wanted, and the data
// line or address line they point at, each line indented by two spaces and
// ended. Empty when there were no failures.
std::string DescribeFailures(const FailureAnalysis& analysis);

// `n` with thousands separated by commas: "4,096".
std::string Thousands(uint32_t n);

#endif  // TARNWICK_CLI_FAILURE_WORDS_H_
