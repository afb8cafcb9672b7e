#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <utility>
#include <vector>

#include "base/hex_number.h"

namespace {

constexpr char kDescription[] =
    "tarnwick reads, programs (verifying every byte), erases and identifies "
    "the flash of 89C51-family chips on the programmer board (an RTL8139 "
    "network card's boot-ROM register and a parallel port).";

constexpr char kFooter[] = R"(Image files: raw binary (byte n for address n; a file describes its own
length from address 0 and leaves the bytes past it as they are), Intel HEX as
8051 compilers write it, or Motorola S-records (both describe the whole chip:
bytes they do not give are FF). The name tells the format: .hex .ihx .ihex
Intel HEX, .s19 .s28 .s37 .srec .mot S-records, .bin .raw .img raw; other
names are told by content. A text file is never written to a chip as raw
bytes unless --format raw says so. FILE "-" is standard input (write,
verify; at most 16 MB, as a file) or standard output (read; raw only when it
is not a terminal). Results and summaries go to standard output, except
with "read -", whose image goes there: its summary goes to standard error.
With --json, standard output carries events, one JSON object a line (the
manual page has their schema), and every word goes to standard error.

write, verify and read give the SUM16 (the byte sum, modulo 65536) and the
CRC-32 (zlib's) of the chip image: the part's whole size, FF where the file
gives no byte. --expect-sum and --expect-crc refuse a file whose chip image
has others before the board is touched.

batch waits for a chip in the socket (a known part answering alike on two
polls 200 ms apart), programs and verifies it as write does, waits for the
socket to be empty, and so on; --prompt waits for Enter instead, for boards
whose chip must not be changed with the power on. Serial numbers: --serial
ADDR,SIZE,FORMAT with FORMAT le, be, bcd or ascii; the serial file is
advanced on the disk before each chip, so no number is ever given twice.

Files are written only once every refusal is passed: a refused run changes
no file. The image file, --log, --trace and the simulated board's files
must be different files. A file `read` replaces keeps its permissions; it
is a new file, so another hard link keeps the old bytes.

Only one program drives a board at a time: another one that holds it makes
tarnwick stop at once (exit 3), or wait with --wait.

Options may stand before or after the command.

Examples:
  tarnwick --sim board signature        the simulated board kept in ./board
  tarnwick write firmware.hex           program and verify a compiler's output
  tarnwick write image.bin --no-erase   program every byte, erasing nothing
  tarnwick verify firmware.hex --quiet && echo same
  tarnwick read backup.bin --config start.ini
  tarnwick read - --format srec | less   the chip as S-records
  tarnwick write ./-odd-name.bin         a file whose name begins with -
  tarnwick erase --rtl-base e800 --epp-port 278
  tarnwick selftest --hold 5            each line of an empty socket's board
                                        in turn, for an LED or a meter
  sudo tarnwick ports                   what the card and port are (Linux)
  tarnwick checksum firmware.hex        SUM16 and CRC-32, for each part
  tarnwick write fw.hex --expect-sum 1A2B   only the file with that sum
  tarnwick batch fw.hex --serial 7FF0,4,bcd --serial-file serial.txt
      --serial-start 1000 --journal chips.csv --count 40
                                        40 chips, numbered from 1000
  tarnwick --json write fw.hex          events for a program to read

Without --sim, --config or the port flags, tarnwick on Linux uses the one
RTL8139 card and the one parallel port the system lists (see `ports`), and
on Windows the defaults C000 and 378, through the port-access library beside
it: WINIO.dll, else inpoutx64.dll (64-bit) or inpout32.dll (32-bit), unless
--port-library names one.

Exit codes:
  0    success
  1    the chip did not verify, compare or blank-check; selftest: a data
       line that did not read back as driven
  2    bad usage, or a bad, unreadable or unwritable file, or one file
       named twice
  3    no port access, no chip answering, the board held by another
       program, or a chip refused: an unknown signature (write, erase) or
       one naming another part than --part; selftest: a chip answering
  batch: 0 when it ended as asked (--count, or the end of input with
       --prompt) and no chip failed, 1 when a chip failed, 2 also when its
       journal or serial file could not be written or its serial numbers
       ran out, 3 as above
  129, 130, 131, 141, 143
       stopped by a signal (hang-up, Ctrl-C, quit, broken pipe,
       termination) at the next address: 128 + the signal's number; the
       run says whether the chip is unchanged, erased or partly programmed)";

constexpr const char* kCommandNames[] = {
    "read",  "write",    "verify",   "erase", "signature", "blank-check",
    "ports", "selftest", "checksum", "batch"};

// The first word of `args` that is neither an option nor an option's value:
// the command the user meant. Empty when there is none.
std::string FirstCommandWord(CLI::App& app,
                             const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") return i + 1 < args.size() ? args[i + 1] : "";
    if (arg.size() < 2 || arg[0] != '-') return arg;
    if (arg.find('=') != std::string::npos) continue;
    const CLI::Option* option = app.get_option_no_throw(arg);
    if (option != nullptr && option->get_items_expected_min() > 0) ++i;
  }
  return "";
}

// Decimal digits only, at most `max`.
bool ParseDecimal(const std::string& text, uint64_t max, uint64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (v > (max - digit) / 10) return false;
    v = v * 10 + digit;
  }
  *value = v;
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool ParsePortAddress(const std::string& text, uint16_t* value) {
  uint32_t v = 0;
  if (!ParseHexNumber(text, 0xFFFF, &v)) return false;
  *value = static_cast<uint16_t>(v);
  return true;
}

bool ParseSize(const std::string& text, uint64_t* bytes) {
  constexpr uint64_t kMost = uint64_t{1} << 62;
  uint64_t value = 0;
  size_t at = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]));
       ++at) {
    value = value * 10 + static_cast<uint64_t>(text[at] - '0');
    if (value > kMost) return false;
  }
  if (at == 0 || text.size() - at > 1) return false;
  int shift = 0;
  if (at < text.size()) {
    const char unit = static_cast<char>(std::toupper(
        static_cast<unsigned char>(text[at])));
    shift = unit == 'K' ? 10 : unit == 'M' ? 20 : unit == 'G' ? 30 : -1;
    if (shift < 0 || value > kMost >> shift) return false;
  }
  *bytes = value << shift;
  return true;
}

bool ParseCliOptions(const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err, CliOptions* o, int* exit_code) {
  CLI::App app(kDescription, "tarnwick");
  app.set_version_flag("--version", std::string("tarnwick ") + kTarnwickVersion);
  app.footer(kFooter);
  app.require_subcommand(1, 1);
  // Options of the program may follow the command as well.
  app.fallthrough();

  std::string sim, config, rtl, epp, part, log, trace, trace_limit, format,
      wait, hold, library, expect_sum, expect_crc, serial, serial_file,
      serial_start, serial_step, on_fail, journal, count;
  app.add_option("--sim", sim,
                 "Drive the simulated board whose chip and settings are kept "
                 "in DIR (simchip.bin, simboard.ini), instead of real ports; "
                 "a folder, made when missing")
      ->type_name("DIR");
  app.add_option("--config", config,
                 "Read the two port addresses from FILE, a start.ini "
                 "(RTL8139ADDR=c000; EPPADDR=378;)")
      ->type_name("FILE");
  app.add_option("--rtl-base", rtl,
                 "I/O base of the network card, hexadecimal (default C000)")
      ->type_name("HEX");
  app.add_option("--epp-port", epp,
                 "Parallel-port data register, hexadecimal (default 378)")
      ->type_name("HEX");
  app.add_option("--part", part,
                 "89c51 (4 KB) or 89c52 (8 KB), instead of the part the "
                 "signature names (refused when it names the other, unless "
                 "--force)")
      ->type_name("PART");
  app.add_option("--log", log,
                 "write: keep the bad-block log (the desktop program's "
                 "format) in PATH")
      ->type_name("PATH");
  app.add_option("--trace", trace,
                 "Record every port access and sleep of the run in FILE, "
                 "written as the run goes")
      ->type_name("FILE");
  app.add_option("--trace-limit", trace_limit,
                 "Stop the trace's file at SIZE bytes (K, M, G: 1024, "
                 "1024^2, 1024^3 of them; 0: no limit; default 1G)")
      ->type_name("SIZE");
  app.add_option("--format", format,
                 "ihex, srec or raw: the format of FILE, whatever its name "
                 "says (raw takes a text file's bytes as they are)")
      ->type_name("FORMAT");
  app.add_option("--wait", wait,
                 "When another program holds the board, wait up to SECONDS "
                 "(0 to 86400, fractions allowed) for it instead of "
                 "stopping at once")
      ->type_name("SECONDS");
  app.add_option("--hold", hold,
                 "selftest: hold each line SECONDS, instead of until Enter")
      ->type_name("SECONDS");
  app.add_flag("--control", o->control,
               "selftest: switch the programming voltage (control bit 2) on "
               "too, in the last step");
  app.add_option("--port-library", library,
                 "Windows: reach the ports through the library NAME "
                 "(WINIO.dll, inpoutx64.dll, inpout32.dll), in the "
                 "program's folder unless NAME is a path")
      ->type_name("NAME");
  app.add_flag("--no-erase", o->no_erase,
               "write: program every byte of the image without erasing, "
               "as the desktop program does");
  app.add_flag("--force", o->force,
               "Go on although no chip answers, its signature is unknown, "
               "or it names another part than --part (selftest: although a "
               "chip answers)");
  app.add_flag("-q,--quiet", o->quiet,
               "No progress and no summary when all is well");
  app.add_flag("--json", o->json,
               "Standard output carries events, one JSON object a line (see "
               "the manual page); all words go to standard error");
  app.add_option("--expect-sum", expect_sum,
                 "write, verify, batch, checksum: refuse the file unless its "
                 "chip image's SUM16 (the byte sum, 4 hex digits) is HHHH")
      ->type_name("HHHH");
  app.add_option("--expect-crc", expect_crc,
                 "write, verify, batch, checksum: refuse the file unless its "
                 "chip image's CRC-32 is HHHHHHHH")
      ->type_name("HHHHHHHH");
  app.add_option("--serial", serial,
                 "batch: write each chip's serial number at ADDR (hex), SIZE "
                 "bytes, FORMAT le, be, bcd or ascii (7FF0,4,bcd); needs "
                 "--serial-file")
      ->type_name("ADDR,SIZE,FORMAT");
  app.add_option("--serial-file", serial_file,
                 "batch: the file that keeps the next serial number, "
                 "advanced on the disk before each chip is programmed")
      ->type_name("FILE");
  app.add_option("--serial-start", serial_start,
                 "batch: the first number, when the serial file is missing "
                 "(with an existing one it must be the number it holds)")
      ->type_name("N");
  app.add_option("--serial-step", serial_step,
                 "batch: added to the serial number for each chip (default "
                 "1)")
      ->type_name("N");
  app.add_option("--on-fail", on_fail,
                 "batch: skip (default) leaves a failed chip's serial number "
                 "unused; reuse gives it to the next chip")
      ->type_name("skip|reuse");
  app.add_option("--journal", journal,
                 "batch: append one line per chip to FILE (CSV)")
      ->type_name("FILE");
  app.add_option("--count", count,
                 "batch: end after N chips have passed")
      ->type_name("N");
  app.add_flag("--prompt", o->prompt,
               "batch: wait for Enter before each chip instead of watching "
               "the socket (for boards whose chip must not be changed with "
               "the power on)");
  app.add_flag("--no-bell", o->no_bell,
               "batch: no bell at each chip's result");

  struct Command {
    const char* name;
    const char* help;
    bool takes_file;
  } commands[] = {
      {"read", "Read the whole chip into FILE", true},
      {"write",
       "Make the chip hold FILE and verify every byte: reads the chip first, "
       "programs only the bytes that differ when bits need only clearing, "
       "otherwise erases and programs the bytes that are not FF",
       true},
      {"verify", "Compare the chip with FILE, programming nothing", true},
      {"erase", "Erase the whole chip and check that it is blank", false},
      {"signature", "Show the signature bytes at 30H, 31H, 32H and what they mean",
       false},
      {"blank-check", "Check that every byte of the chip is FF", false},
      {"ports",
       "List the RTL8139 cards and parallel ports the system has, and the "
       "start.ini that selects them (Linux)",
       false},
      {"selftest",
       "With an empty socket: hold every line the program drives, one at a "
       "time, for an LED or a meter (Enter goes on, or --hold), then read "
       "the data lines back many times",
       false},
      {"checksum",
       "Show FILE's bytes, their range, and the SUM16 and CRC-32 of the chip "
       "image it makes (for each part unless --part), without a board",
       true},
      {"batch",
       "Program chip after chip with FILE, each written and verified as "
       "write does: waits for a chip in the socket (or Enter with "
       "--prompt), then for it to be taken out; with serial numbers and a "
       "journal if asked",
       true},
  };
  static_assert(sizeof commands / sizeof commands[0] ==
                sizeof kCommandNames / sizeof kCommandNames[0]);
  for (const Command& c : commands) {
    CLI::App* sub = app.add_subcommand(c.name, c.help);
    if (c.takes_file)
      sub->add_option("FILE", o->file, "Image file")->required();
  }

  auto fail = [&](const std::string& what) {
    err << "tarnwick: " << what << "\nRun with --help for more information.\n";
    *exit_code = 2;
    return false;
  };
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    const std::string word = FirstCommandWord(app, args);
    const bool known = std::find(std::begin(kCommandNames),
                                 std::end(kCommandNames),
                                 word) != std::end(kCommandNames);
    if (!known && !app.get_help_ptr()->count() &&
        !app.get_version_ptr()->count()) {
      std::string list;
      for (const char* name : kCommandNames) list += std::string(" ") + name;
      return fail((word.empty() ? std::string("no command given")
                                : "unknown command \"" + word + "\"") +
                  "; the commands are:" + list);
    }
    if (known && word != "ports" && word != "erase" && word != "signature" &&
        word != "blank-check" && word != "selftest" && dynamic_cast<const CLI::RequiredError*>(&e)) {
      for (const std::string& arg : args) {
        if (arg.size() > 1 && arg[0] == '-' &&
            app.get_option_no_throw(arg.substr(0, arg.find('='))) == nullptr &&
            !app.get_subcommand(word)->get_option_no_throw(arg)) {
          return fail(word + " needs a FILE; \"" + arg +
                      "\" is not an option: to name a file beginning with "
                      "'-', write ./" + arg + " or -- " + arg);
        }
      }
    }
    // Help and version; CLI11's own refusals get the program's name.
    if (e.get_exit_code() == 0) {
      *exit_code = app.exit(e, out, err) == 0 ? 0 : 2;
      return false;
    }
    return fail(e.what());
  }
  for (const Command& c : commands)
    if (app.got_subcommand(c.name)) o->command = c.name;

  // An option given with an empty value is a mistake, not an absence.
  for (const char* name :
       {"--sim", "--config", "--rtl-base", "--epp-port", "--part", "--log",
        "--trace", "--trace-limit", "--format", "--wait", "--hold",
        "--port-library", "--expect-sum", "--expect-crc", "--serial",
        "--serial-file", "--serial-start", "--serial-step", "--on-fail",
        "--journal", "--count"}) {
    const CLI::Option* option = app.get_option(name);
    if (option->count() > 0 && option->as<std::string>().empty())
      return fail(std::string(name) + ": the value is empty");
  }
  const struct {
    const char* name;
    const std::string& text;
    std::optional<uint16_t>* value;
  } ports[] = {{"--rtl-base", rtl, &o->rtl_base}, {"--epp-port", epp, &o->epp_port}};
  for (const auto& port : ports) {
    if (port.text.empty()) continue;
    uint16_t v = 0;
    if (!ParsePortAddress(port.text, &v))
      return fail(std::string(port.name) +
                  ": expected a hexadecimal port address up to FFFF, not \"" +
                  port.text + "\"");
    *port.value = v;
  }
  if (!part.empty()) {
    part = Lower(part);
    if (part != "89c51" && part != "89c52")
      return fail("--part: expected 89c51 or 89c52, not \"" + part + "\"");
    o->part = part;
  }
  if (!format.empty()) {
    const std::string f = Lower(format);
    if (f == "ihex") {
      o->format = ImageFormat::kIntelHex;
    } else if (f == "srec") {
      o->format = ImageFormat::kSRecord;
    } else if (f == "raw") {
      o->format = ImageFormat::kRaw;
    } else {
      return fail("--format: expected ihex, srec or raw, not \"" + format +
                  "\"");
    }
  }
  if (!wait.empty()) {
    char* end = nullptr;
    const double seconds = std::strtod(wait.c_str(), &end);
    if (*end != '\0' || !(seconds >= 0) || seconds > 86400)
      return fail("--wait: expected seconds from 0 to 86400, not \"" + wait +
                  "\"");
    o->wait_seconds = seconds;
  }
  if (!hold.empty()) {
    char* end = nullptr;
    const double seconds = std::strtod(hold.c_str(), &end);
    if (*end != '\0' || !(seconds >= 0) || seconds > 3600)
      return fail("--hold: expected seconds from 0 to 3600, not \"" + hold +
                  "\"");
    o->hold_seconds = seconds;
  }
  if ((o->hold_seconds || o->control) && o->command != "selftest")
    return fail(std::string(o->control ? "--control" : "--hold") +
                " goes with selftest");
  if (!library.empty()) {
    if (!sim.empty()) return fail("--port-library drives real ports, not --sim");
    o->port_library = library;
  }
  if (!trace_limit.empty() && !ParseSize(trace_limit, &o->trace_limit)) {
    return fail("--trace-limit: expected a size in bytes, with K, M or G "
                "for 1024, 1024^2, 1024^3 of them, not \"" + trace_limit +
                "\"");
  }
  if (!sim.empty()) o->sim_dir = sim;
  if (!config.empty()) o->config = config;
  if (!log.empty()) o->log = log;
  if (!trace.empty()) o->trace = trace;
  uint32_t hex = 0;
  if (!expect_sum.empty()) {
    if (!ParseHexNumber(expect_sum, 0xFFFF, &hex))
      return fail("--expect-sum: expected the 16-bit byte sum, up to 4 "
                  "hexadecimal digits, not \"" + expect_sum + "\"");
    o->expect_sum = static_cast<uint16_t>(hex);
  }
  if (!expect_crc.empty()) {
    if (!ParseHexNumber(expect_crc, 0xFFFFFFFF, &hex))
      return fail("--expect-crc: expected a CRC-32, up to 8 hexadecimal "
                  "digits, not \"" + expect_crc + "\"");
    o->expect_crc = hex;
  }
  if (!serial.empty()) {
    SerialArea area;
    std::string why;
    if (!ParseSerialArea(serial, &area, &why))
      return fail("--serial: " + why + ", not \"" + serial + "\"");
    o->serial = area;
  }
  uint64_t number = 0;
  if (!serial_start.empty()) {
    if (!ParseDecimal(serial_start, UINT64_MAX, &number))
      return fail("--serial-start: expected a whole number (decimal digits), "
                  "not \"" + serial_start + "\"");
    o->serial_start = number;
  }
  if (!serial_step.empty() &&
      (!ParseDecimal(serial_step, UINT64_MAX, &o->serial_step) ||
       o->serial_step == 0))
    return fail("--serial-step: expected a whole number from 1, not \"" +
                serial_step + "\"");
  if (!on_fail.empty()) {
    if (Lower(on_fail) != "skip" && Lower(on_fail) != "reuse")
      return fail("--on-fail: expected skip or reuse, not \"" + on_fail +
                  "\"");
    o->reuse_failed = Lower(on_fail) == "reuse";
  }
  if (!count.empty()) {
    if (!ParseDecimal(count, UINT32_MAX, &number) || number == 0)
      return fail("--count: expected a number of chips from 1, not \"" +
                  count + "\"");
    o->count = static_cast<uint32_t>(number);
  }
  if (!serial_file.empty()) o->serial_file = serial_file;
  if (!journal.empty()) o->journal = journal;
  if (o->serial && !o->serial_file)
    return fail("--serial needs --serial-file FILE, which keeps the next "
                "number");
  // Options that mean something to some commands only.
  const struct {
    const char* name;
    bool given;
    std::vector<const char*> commands;
    const char* words;
  } only[] = {
      {"--log", o->log.has_value(), {"write"}, "write"},
      {"--no-erase", o->no_erase, {"write", "batch"}, "write and batch"},
      {"--expect-sum", o->expect_sum.has_value(),
       {"write", "verify", "batch", "checksum"},
       "write, verify, batch and checksum"},
      {"--expect-crc", o->expect_crc.has_value(),
       {"write", "verify", "batch", "checksum"},
       "write, verify, batch and checksum"},
      {"--serial", o->serial.has_value(), {"batch"}, "batch"},
      {"--journal", o->journal.has_value(), {"batch"}, "batch"},
      {"--count", !count.empty(), {"batch"}, "batch"},
      {"--prompt", o->prompt, {"batch"}, "batch"},
      {"--no-bell", o->no_bell, {"batch"}, "batch"},
  };
  for (const auto& option : only) {
    if (option.given &&
        std::find_if(option.commands.begin(), option.commands.end(),
                     [&](const char* c) { return o->command == c; }) ==
            option.commands.end())
      return fail(std::string(option.name) + " goes with " + option.words);
  }
  for (const auto& [name, given] :
       {std::pair<const char*, bool>{"--serial-file", !serial_file.empty()},
        {"--serial-start", !serial_start.empty()},
        {"--serial-step", !serial_step.empty()},
        {"--on-fail", !on_fail.empty()}}) {
    if (given && !o->serial)
      return fail(std::string(name) + " goes with --serial ADDR,SIZE,FORMAT");
  }
  if (o->force && o->command == "batch")
    return fail("--force does not go with batch: it never programs a chip "
                "of another part, or of none it knows");
  if (!trace_limit.empty() && !o->trace)
    return fail("--trace-limit goes with --trace");
  if (o->prompt && o->file == "-")
    return fail("batch - with --prompt: standard input carries the "
                "operator's Enter; give the image as a file");
  if (o->json && o->command == "read" && o->file == "-")
    return fail("read - with --json: standard output carries the events; "
                "read into a file");
  return true;
}
