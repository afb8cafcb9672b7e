#ifndef TARNWICK_CLI_OPTIONS_H_
#define TARNWICK_CLI_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/version.h"
#include "image/image_file.h"
#include "production/serial_number.h"

// The size a trace's file stops at unless --trace-limit says otherwise: a
// whole chip's write on a sound board traces to a few megabytes, a board
// whose lines never settle to a hundred gigabytes.
constexpr uint64_t kDefaultTraceLimit = uint64_t{1} << 30;

// The command line as given.
struct CliOptions {
  std::string command;  // read, write, verify, erase, signature, blank-check,
                        // ports, selftest, checksum, batch
  std::string file;     // read, write, verify, checksum, batch: the image
                        // file (UTF-8); "-" for standard input or output
  std::optional<std::string> sim_dir;
  std::optional<std::string> config;
  std::optional<uint16_t> rtl_base;
  std::optional<uint16_t> epp_port;
  std::optional<std::string> part;  // "89c51" or "89c52"
  std::optional<std::string> log;
  std::optional<std::string> trace;
  uint64_t trace_limit = kDefaultTraceLimit;  // bytes; 0 for none
  ImageFormat format = ImageFormat::kAuto;  // --format
  std::optional<double> wait_seconds;       // --wait: for a busy board
  std::optional<double> hold_seconds;  // --hold: selftest's time per line
  bool control = false;  // --control: selftest switches on the voltage too
  std::optional<std::string> port_library;  // --port-library (Windows)
  bool no_erase = false;
  bool force = false;
  bool quiet = false;
  bool json = false;  // --json: events on standard output, words on error
  // --expect-sum, --expect-crc: the file's chip image must have these.
  std::optional<uint16_t> expect_sum;
  std::optional<uint32_t> expect_crc;
  // batch
  std::optional<SerialArea> serial;         // --serial ADDR,SIZE,FORMAT
  std::optional<std::string> serial_file;   // --serial-file
  std::optional<uint64_t> serial_start;     // --serial-start
  uint64_t serial_step = 1;                 // --serial-step
  bool reuse_failed = false;                // --on-fail reuse
  std::optional<std::string> journal;       // --journal
  uint32_t count = 0;                       // --count; 0: no end
  bool prompt = false;                      // --prompt
  bool no_bell = false;                     // --no-bell
};

// The program's version, as --version shows it.
constexpr char kTarnwickVersion[] = TARNWICK_VERSION;

// Parses `args` (without the program's name; UTF-8). Returns true with
// *options set when a command is to run. Otherwise the help, the version
// or a usage error has been written (help and version to `out`, errors to
// `err`) and *exit_code is 0 or 2.
bool ParseCliOptions(const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err, CliOptions* options, int* exit_code);

// A port address in hexadecimal, "0x" optional, at most FFFF.
bool ParsePortAddress(const std::string& text, uint16_t* value);

// A size in bytes: decimal digits, with K, M or G (any case) for 1024,
// 1024^2 or 1024^3 of them; at most 2^62 bytes.
bool ParseSize(const std::string& text, uint64_t* bytes);

#endif  // TARNWICK_CLI_OPTIONS_H_
