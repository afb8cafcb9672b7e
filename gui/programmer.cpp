#include "gui/programmer.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "gui/image_loader.h"
#include "gui/messages.h"

namespace {

constexpr char kImageFile[] = "image.bin";
constexpr char kChipFile[] = "chip.bin";

bool TakesImage(Command c) {
  return c == Command::kWrite || c == Command::kVerify || c == Command::kBatch;
}

bool Programs(const QString& command) {
  return command == "write" || command == "batch";
}

}  // namespace

Programmer::Programmer(ChipBuffer* buffer, QObject* parent)
    : QObject(parent), buffer_(buffer) {
  connect(&run_, &TarnwickRun::eventArrived, this, &Programmer::OnEvent);
  connect(&run_, &TarnwickRun::ended, this, &Programmer::OnEnd);
}

void Programmer::SetLaunches(const Launch& simulated, const Launch& hardware) {
  simulated_launch_ = simulated;
  hardware_launch_ = hardware;
  compatibility_ = Compatibility::kUnknown;
}

void Programmer::CheckCompatibility() {
  QString why;
  if (!Start(Command::kPorts, {}, &why))
    emit compatibilityKnown(compatibility_, why);
}

QStringList Programmer::BoardArguments() const {
  QStringList args;
  if (board_.simulated) args << "--sim" << board_.sim_dir;
  if (!board_.part.isEmpty()) args << "--part" << board_.part;
  return args;
}

bool Programmer::Start(Command command, const QStringList& extra,
                       QString* why) {
  if (Busy()) {
    *why = tr("Another run is going: wait for its end, or stop it.");
    return false;
  }
  const Launch& launch = command == Command::kPorts || board_.simulated
                             ? simulated_launch_
                             : hardware_launch_;
  if (launch.elevated && !QFileInfo(launch.program).isExecutable()) {
    *why =
        tr("Real hardware needs pkexec (package pkexec) to ask for an "
           "administrator; or run this program as root, or give tarnwick "
           "the CAP_SYS_RAWIO capability.");
    return false;
  }
  if (launch.program.isEmpty()) {
    compatibility_ = Compatibility::kMissing;
    *why =
        tr("tarnwick was not found: install it, or name it with "
           "--tarnwick.");
    return false;
  }
  if (command != Command::kPorts) {
    if (compatibility_ == Compatibility::kTooOld ||
        compatibility_ == Compatibility::kTooNew ||
        compatibility_ == Compatibility::kMissing) {
      *why = compatibility_why_;
      return false;
    }
    if (board_.simulated && board_.sim_dir.isEmpty()) {
      *why = tr("Choose the simulated board's folder first.");
      return false;
    }
  }
  if (TakesImage(command) && !buffer_->HasImage()) {
    *why = tr("Open an image file first.");
    return false;
  }
  if (!files_.isValid()) {
    *why = tr("No temporary folder can be made for the image.");
    return false;
  }

  QStringList args;
  if (command != Command::kPorts) args = BoardArguments();
  args << CommandWord(command);
  if (TakesImage(command)) {
    // What the window shows is what is written, even if the file changed
    // on disk since.
    QSaveFile image(files_.filePath(kImageFile));
    if (!image.open(QIODevice::WriteOnly) ||
        image.write(buffer_->ImageBytes()) != buffer_->ImageLength() ||
        !image.commit()) {
      *why = tr("The image cannot be handed to tarnwick: %1")
                 .arg(image.errorString());
      return false;
    }
    args << files_.filePath(kImageFile) << "--format"
         << "raw";
  } else if (command == Command::kRead) {
    QFile::remove(files_.filePath(kChipFile));
    args << files_.filePath(kChipFile) << "--format"
         << "raw";
  }
  args << extra;

  command_ = command;
  arguments_ = args;
  failures_seen_ = 0;
  passed_ = false;
  result_seen_ = false;
  message_.clear();
  run_.Start(launch, args);
  emit started(command);
  return true;
}

void Programmer::Stop() { run_.Stop(); }

void Programmer::OnEvent(const TarnwickEvent& event) {
  using Type = TarnwickEvent::Type;
  emit eventArrived(event);
  switch (event.type) {
    case Type::kStart:
      if (command_ != Command::kPorts && command_ != Command::kSignature &&
          command_ != Command::kRead)
        buffer_->ForgetChip();
      break;
    case Type::kChip:
      if (event.Text("state") == "inserted") {
        buffer_->ForgetChip();
        failures_seen_ = 0;
      }
      break;
    case Type::kSignature:
      emit signatureRead(static_cast<int>(event.Number("size", 0)),
                         SignatureText(event.json));
      break;
    case Type::kProgress:
      emit progressed(event.Text("stage"), event.Number("done", 0),
                      event.Number("total", 0), event.Number("address", 0));
      break;
    case Type::kFailure: {
      ++failures_seen_;
      const QString stage = event.Text("stage");
      const bool failed =
          (command_ == Command::kWrite || command_ == Command::kBatch) &&
          (stage == "program" || stage == "verify");
      buffer_->ChipHolds(static_cast<int>(event.Number("address")),
                         static_cast<quint8>(event.Number("actual", 0)),
                         failed);
      break;
    }
    case Type::kResult:
      OnResult(event.json);
      break;
    case Type::kError:
      message_ = ProblemText(event);
      break;
    default:
      break;
  }
}

void Programmer::OnResult(const QJsonObject& r) {
  const QString command = r.value("command").toString();
  const QString outcome = r.value("outcome").toString();
  result_seen_ = true;
  passed_ = outcome == "pass";
  message_ = ResultText(r);
  if (outcome != "pass" && outcome != "fail") return;
  // Every byte that differs was told as a failure: the rest is as it
  // should be.
  const qint64 listed =
      r.value(Programs(command) ? "failed" : "differ").toDouble(0);
  if (failures_seen_ < listed) return;
  if (Programs(command) || command == "verify") {
    buffer_->ChipHoldsImageElsewhere();
  } else if (command == "erase" || command == "blank-check") {
    buffer_->ChipBlankElsewhere();
  } else if (command == "read" && passed_) {
    ChipImage image;
    ImageError error;
    const QString path = files_.filePath(kChipFile);
    if (LoadRawImage(FilePath(QFile::encodeName(path).toStdString()),
                     kLargestChip, &image,
                     &error) != ImageLoadResult::kLoaded) {
      passed_ = false;
      message_ = tr("tarnwick read the chip, but its file cannot be read: %1")
                     .arg(QString::fromStdString(error.what));
      return;
    }
    const int size = static_cast<int>(image.bytes.size());
    buffer_->SetImage(image, size, tr("the chip as read"));
    buffer_->ChipHoldsAll(
        QByteArray(reinterpret_cast<const char*>(image.bytes.data()), size));
  }
}

void Programmer::OnEnd(const RunEnd& end) {
  const QString problem = EndProblem(end);
  if (!end.started) {
    compatibility_ = Compatibility::kMissing;
  } else if (end.stream == StreamEnd::kRefused) {
    compatibility_ = Compatibility::kTooNew;
  } else if (end.stream == StreamEnd::kEmpty && end.exit_code == 2) {
    compatibility_ = Compatibility::kTooOld;
  } else if (end.stream != StreamEnd::kEmpty &&
             end.stream != StreamEnd::kBroken) {
    compatibility_ = Compatibility::kReady;
  }
  if (compatibility_ != Compatibility::kReady) compatibility_why_ = problem;

  bool ok = end.started && !end.crashed && end.exit_code == 0 &&
            end.stream == StreamEnd::kComplete;
  if (result_seen_) ok = ok && passed_;
  QString message = message_;
  if (!problem.isEmpty()) {
    message = message.isEmpty() ? problem : message + " " + problem;
  } else if (message.isEmpty()) {
    message = end.exit_code == 0
                  ? tr("Done.")
                  : tr("tarnwick ended with exit code %1.").arg(end.exit_code);
  }
  if (command_ == Command::kPorts)
    emit compatibilityKnown(compatibility_, compatibility_why_);
  emit finished(command_, ok, message);
}
