#ifndef TARNWICK_GUI_COMMAND_H_
#define TARNWICK_GUI_COMMAND_H_

#include <QString>

// What a run of tarnwick does.
enum class Command {
  kPorts,  // lists the ports found; needs no privilege (the first run)
  kSignature,
  kRead,
  kWrite,
  kVerify,
  kErase,
  kBlankCheck,
  kBatch,  // the production run
};

// The word tarnwick takes for the command ("blank-check").
QString CommandWord(Command command);

// The command's name as menus and messages show it.
QString CommandName(Command command);

#endif  // TARNWICK_GUI_COMMAND_H_
