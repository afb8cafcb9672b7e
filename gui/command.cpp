#include "gui/command.h"

#include <QCoreApplication>

QString CommandWord(Command command) {
  switch (command) {
    case Command::kPorts:
      return QStringLiteral("ports");
    case Command::kSignature:
      return QStringLiteral("signature");
    case Command::kRead:
      return QStringLiteral("read");
    case Command::kWrite:
      return QStringLiteral("write");
    case Command::kVerify:
      return QStringLiteral("verify");
    case Command::kErase:
      return QStringLiteral("erase");
    case Command::kBlankCheck:
      return QStringLiteral("blank-check");
    case Command::kBatch:
      return QStringLiteral("batch");
  }
  return QString();
}

QString CommandName(Command command) {
  switch (command) {
    case Command::kPorts:
      return QCoreApplication::translate("Command", "Find the ports");
    case Command::kSignature:
      return QCoreApplication::translate("Command", "Signature");
    case Command::kRead:
      return QCoreApplication::translate("Command", "Read");
    case Command::kWrite:
      return QCoreApplication::translate("Command", "Write");
    case Command::kVerify:
      return QCoreApplication::translate("Command", "Verify");
    case Command::kErase:
      return QCoreApplication::translate("Command", "Erase");
    case Command::kBlankCheck:
      return QCoreApplication::translate("Command", "Blank check");
    case Command::kBatch:
      return QCoreApplication::translate("Command", "Production run");
  }
  return QString();
}
