#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>

#include "base/hex_number.h"

namespace {

constexpr char kDescription[] =
    "tarnwick reads, programs (verifying every byte), erases and identifies "
    "the flash of 89C51-family chips on the programmer board (an RTL8139 "
    "network card's boot-ROM register and a parallel port).";

constexpr char kFooter[] = R"(Image files: raw binary (byte n for address n; a file describes its own
length from address 0 and leaves the bytes past it as they are), or Intel HEX
as 8051 compilers write it (it describes the whole chip: bytes it does not
give are FF). Files are told apart by content; `read` writes Intel HEX when
the name ends in .hex or .ihx, raw binary otherwise.

Options may stand before or after the command.

Examples:
  tarnwick --sim board signature        the simulated board kept in ./board
  tarnwick write firmware.hex           program and verify a compiler's output
  tarnwick write image.bin --no-erase   program every byte, erasing nothing
  tarnwick verify firmware.hex --quiet && echo same
  tarnwick read backup.bin --config start.ini
  tarnwick erase --rtl-base e800 --epp-port 278
  sudo tarnwick ports                   what the card and port are (Linux)

Without --sim, --config or the port flags, tarnwick on Linux uses the one
RTL8139 card and the one parallel port the system lists (see `ports`), and
on Windows the defaults C000 and 378, through the WINIO.dll beside it.

Exit codes:
  0    success
  1    the chip did not verify, compare or blank-check
  2    bad usage, or a bad, unreadable or unwritable file
  3    no port access, or no chip answering
  130  interrupted (Ctrl-C): stopped at the next address)";

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

bool ParseCliOptions(const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err, CliOptions* o, int* exit_code) {
  CLI::App app(kDescription, "tarnwick");
  app.set_version_flag("--version", std::string("tarnwick ") + kTarnwickVersion);
  app.footer(kFooter);
  app.require_subcommand(1, 1);
  // Options of the program may follow the command as well.
  app.fallthrough();

  std::string sim, config, rtl, epp, part, log, trace;
  app.add_option("--sim", sim,
                 "Drive the simulated board whose chip and settings are kept "
                 "in DIR (simchip.bin, simboard.ini), instead of real ports")
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
                 "signature names")
      ->type_name("PART");
  app.add_option("--log", log,
                 "write: keep the bad-block log (the desktop program's "
                 "format) in PATH")
      ->type_name("PATH");
  app.add_option("--trace", trace,
                 "Record every port access and sleep of the run in FILE")
      ->type_name("FILE");
  app.add_flag("--no-erase", o->no_erase,
               "write: program every byte of the image without erasing, "
               "as the desktop program does");
  app.add_flag("--force", o->force,
               "Go on although no chip answers or its signature is unknown");
  app.add_flag("-q,--quiet", o->quiet,
               "No progress and no summary when all is well");

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
  };
  for (const Command& c : commands) {
    CLI::App* sub = app.add_subcommand(c.name, c.help);
    if (c.takes_file)
      sub->add_option("FILE", o->file, "Image file")->required();
  }

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, out, err);
    *exit_code = code == 0 ? 0 : 2;
    return false;
  }
  for (const Command& c : commands)
    if (app.got_subcommand(c.name)) o->command = c.name;

  auto fail = [&](const std::string& what) {
    err << "tarnwick: " << what << "\nRun with --help for more information.\n";
    *exit_code = 2;
    return false;
  };
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
  if (!sim.empty()) o->sim_dir = sim;
  if (!config.empty()) o->config = config;
  if (!log.empty()) o->log = log;
  if (!trace.empty()) o->trace = trace;
  if (o->log && o->command != "write") return fail("--log goes with write");
  if (o->no_erase && o->command != "write")
    return fail("--no-erase goes with write");
  return true;
}
