#include "gui/messages.h"

#include <QCoreApplication>
#include <QJsonArray>

namespace {

class Messages {
  Q_DECLARE_TR_FUNCTIONS(Messages)

 public:
  static QString Result(const QJsonObject& r);
  static QString ChipState(const QString& state);
  static QString FailureAnalysis(const QJsonObject& r);
};

qint64 Int(const QJsonObject& o, const char* key) {
  return static_cast<qint64>(o.value(key).toDouble(0));
}

// "first at 0123: expected 5A, read 5B", of the result's first failure.
QString FirstFailure(const QJsonObject& r) {
  const QJsonArray failures = r.value("failures").toArray();
  if (failures.isEmpty()) return QString();
  const QJsonObject f = failures.first().toObject();
  return Messages::tr(" First at %1: expected %2, read %3.")
      .arg(Hex(Int(f, "address"), 4), Hex(Int(f, "expected"), 2),
           Hex(Int(f, "actual"), 2));
}

}  // namespace

QString Hex(qint64 value, int digits) {
  return QStringLiteral("%1").arg(value, digits, 16, QChar('0')).toUpper();
}

QString StageName(const QString& stage) {
  if (stage == "read") return Messages::tr("Reading");
  if (stage == "erase") return Messages::tr("Erasing");
  if (stage == "program") return Messages::tr("Programming");
  if (stage == "verify") return Messages::tr("Verifying");
  if (stage == "blank-check") return Messages::tr("Checking blank");
  return stage;
}

QString SignatureText(const QJsonObject& s) {
  QStringList bytes;
  for (const QJsonValue& b : s.value("bytes").toArray())
    bytes << Hex(b.toInt(), 2);
  const QString verdict = s.value("verdict").toString();
  const QString part = s.value("part").toString();
  const qint64 kb = Int(s, "size") / 1024;
  QString what;
  if (verdict == "no-chip")
    what = Messages::tr("no chip answers");
  else if (verdict == "unknown" || part.isEmpty())
    what = Messages::tr("a signature of no known part");
  else if (verdict == "named")
    what = Messages::tr("%1, %2 KB (as named)").arg(part).arg(kb);
  else if (verdict == "assumed")
    what = Messages::tr("%1, %2 KB (assumed)").arg(part).arg(kb);
  else
    what = Messages::tr("%1, %2 KB").arg(part).arg(kb);
  return Messages::tr("%1: %2").arg(bytes.join(' '), what);
}

QString Messages::ChipState(const QString& state) {
  if (state == "unchanged") return tr("The chip is unchanged.");
  if (state == "erased") return tr("The chip is erased.");
  if (state == "partly-programmed") return tr("The chip is partly programmed.");
  if (state == "programmed") return tr("The chip is programmed.");
  return QString();
}

QString Messages::FailureAnalysis(const QJsonObject& r) {
  const QJsonObject bits = r.value("bits").toObject();
  QString text;
  if (bits.value("bit").isDouble())
    text += tr(" The failures share data line D%1: check it.")
                .arg(bits.value("bit").toInt());
  if (bits.value("address_line").isDouble())
    text += tr(" The failures follow address line A%1: check it.")
                .arg(bits.value("address_line").toInt());
  return text;
}

QString Messages::Result(const QJsonObject& r) {
  const QString command = r.value("command").toString();
  const QString outcome = r.value("outcome").toString();
  const QString sums =
      r.contains("sum16") && r.contains("crc32")
          ? tr(" SUM16 %1, CRC-32 %2.")
                .arg(r.value("sum16").toString(), r.value("crc32").toString())
          : QString();
  QString text;
  if (outcome == "stopped") {
    text = tr("Stopped at the next address.");
    if (r.contains("programmed") && r.contains("not_reached"))
      text += tr(" %1 bytes programmed, %2 not reached.")
                  .arg(Int(r, "programmed"))
                  .arg(Int(r, "not_reached"));
    text += " " + ChipState(r.value("chip_state").toString());
  } else if (outcome == "refused") {
    text = tr("Refused: nothing was done to the chip.");
  } else if (command == "write" || command == "batch") {
    text = outcome == "pass"
               ? tr("Write passed: %1 bytes programmed, %2 already right.")
                     .arg(Int(r, "programmed"))
                     .arg(Int(r, "skipped"))
               : tr("Write FAILED: %1 bytes did not program.")
                         .arg(Int(r, "failed")) +
                     FirstFailure(r) + FailureAnalysis(r);
    if (outcome == "pass") text += sums;
  } else if (command == "verify") {
    text =
        outcome == "pass"
            ? tr("Verify passed: all %1 bytes match.").arg(Int(r, "compared")) +
                  sums
            : tr("Verify FAILED: %1 of %2 bytes differ.")
                      .arg(Int(r, "differ"))
                      .arg(Int(r, "compared")) +
                  FirstFailure(r);
  } else if (command == "read") {
    text = outcome == "pass" ? tr("Read the chip.") + sums : tr("Read FAILED.");
  } else if (command == "erase") {
    text = outcome == "pass" ? tr("Erased: every byte reads FF.")
                             : tr("Erase FAILED: %1 bytes do not read FF.")
                                       .arg(Int(r, "differ")) +
                                   FirstFailure(r);
  } else if (command == "blank-check") {
    text = outcome == "pass" ? tr("The chip is blank.")
                             : tr("The chip is not blank: %1 bytes are not FF.")
                                       .arg(Int(r, "differ")) +
                                   FirstFailure(r);
  } else {
    text = outcome == "pass" ? tr("Passed.") : tr("FAILED.");
  }
  if (Int(r, "unstable") > 0)
    text += tr(" %1 bytes read differently twice: the data lines are not "
               "stable; check the board's wiring and power.")
                .arg(Int(r, "unstable"));
  return text;
}

QString ResultText(const QJsonObject& result) {
  return Messages::Result(result);
}

QString ProblemText(const TarnwickEvent& event) {
  const QString code = event.Text("code");
  if (code == "busy")
    return Messages::tr("The board is busy: another program is using it.");
  if (code == "no-access")
    return Messages::tr(
        "No access to the ports: tarnwick needs an "
        "administrator, or the CAP_SYS_RAWIO capability.");
  if (code == "no-chip")
    return Messages::tr(
        "No chip answers: check that it sits in the socket, "
        "the right way round.");
  if (code == "unknown-part")
    return Messages::tr("The signature names no known part: choose the part.");
  if (code == "wrong-part")
    return Messages::tr("The chip in the socket is not the part of the run.");
  if (code == "unstable")
    return Messages::tr(
        "The data lines are not stable: check the board's "
        "wiring and power.");
  if (code == "interrupted") return Messages::tr("Stopped.");
  if (code == "no-ports")
    return Messages::tr("No RTL8139 card, or no parallel port, was found.");
  if (code == "chip-present")
    return Messages::tr("A chip answers: the socket must be empty for this.");
  if (code == "serials-used-up")
    return Messages::tr("The serial numbers are used up: the next one does "
                        "not fit its place in the chip.");
  if (code == "not-recorded")
    return Messages::tr("The serial number file or the journal cannot be "
                        "written: the run stopped before the next chip.");
  if (code == "checksum" || code == "serial-file" || code == "serial-area" ||
      code == "trace-cut" || code == "reads-as-text")
    return Messages::tr("%1 (tarnwick says: %2)")
        .arg(code == "checksum"       ? Messages::tr("The image's checksum is "
                                                     "not the one expected.")
             : code == "serial-file"  ? Messages::tr("The serial number file "
                                                     "cannot be used.")
             : code == "serial-area"  ? Messages::tr("The serial number's "
                                                     "place cannot be used.")
             : code == "trace-cut"    ? Messages::tr("The trace was cut "
                                                     "short.")
                                      : Messages::tr("The file's bytes read "
                                                     "as text."),
             event.Text("text"));
  if (code == "file")
    return Messages::tr("The file cannot be used (tarnwick says: %1)")
        .arg(event.Text("text"));
  if (code == "usage")
    return Messages::tr("tarnwick refused its command line (it says: %1)")
        .arg(event.Text("text"));
  return Messages::tr("tarnwick says: %1").arg(event.Text("text"));
}

QString EndProblem(const RunEnd& end) {
  if (!end.started)
    return Messages::tr("tarnwick could not be started: %1")
        .arg(end.error_output);
  switch (end.stream) {
    case StreamEnd::kComplete:
      return QString();
    case StreamEnd::kRefused:
      return Messages::tr(
                 "This tarnwick is too new: it writes events of "
                 "version %1, and this program reads version %2. "
                 "Install tarnwick and tarnwick-gui of one release.")
          .arg(end.refused_version)
          .arg(kEventVersion);
    case StreamEnd::kEmpty:
      if (end.exit_code == 2)
        return Messages::tr(
            "This tarnwick is too old: it does not know "
            "--json. Install tarnwick and tarnwick-gui of one "
            "release.");
      return Messages::tr("tarnwick ended without an event (exit code %1).")
          .arg(end.exit_code);
    case StreamEnd::kBroken:
      return Messages::tr(
                 "tarnwick's events could not be read (%1); the run "
                 "was stopped.")
          .arg(end.broken);
    case StreamEnd::kCutOff:
    case StreamEnd::kCutInLine:
      break;
  }
  if (end.stop_asked && end.exit_code == 128 + 13)
    return Messages::tr(
        "Stopped: tarnwick ended at its next event. What the "
        "chip holds is not known.");
  return Messages::tr(
      "tarnwick was cut off before its end; what the chip "
      "holds is not known.");
}
