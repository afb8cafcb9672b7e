#include "gui/event_stream.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace {

TarnwickEvent::Type TypeOf(const QString& name) {
  using Type = TarnwickEvent::Type;
  static const struct {
    const char* name;
    Type type;
  } kTypes[] = {
      {"start", Type::kStart},         {"image", Type::kImage},
      {"signature", Type::kSignature}, {"progress", Type::kProgress},
      {"failure", Type::kFailure},     {"result", Type::kResult},
      {"chip", Type::kChip},           {"warning", Type::kWarning},
      {"error", Type::kError},         {"summary", Type::kSummary},
  };
  for (const auto& t : kTypes)
    if (name == QLatin1String(t.name)) return t.type;
  return Type::kOther;
}

}  // namespace

qint64 TarnwickEvent::Number(const char* key, qint64 absent) const {
  const QJsonValue value = json.value(key);
  return value.isDouble() ? static_cast<qint64>(value.toDouble()) : absent;
}

QList<TarnwickEvent> EventStreamReader::Feed(const QByteArray& bytes) {
  QList<TarnwickEvent> out;
  int from = 0;
  while (!Stopped()) {
    const int end = bytes.indexOf('\n', from);
    if (end < 0) {
      partial_.append(bytes.constData() + from, bytes.size() - from);
      if (partial_.size() > kMaxLineBytes) {
        broken_ = QStringLiteral("line %1 is longer than %2 bytes")
                      .arg(line_number_ + 1)
                      .arg(kMaxLineBytes);
        partial_.clear();
      }
      break;
    }
    QByteArray line = partial_;
    line.append(bytes.constData() + from, end - from);
    partial_.clear();
    from = end + 1;
    TakeLine(std::move(line), &out);
  }
  return out;
}

void EventStreamReader::TakeLine(QByteArray line, QList<TarnwickEvent>* out) {
  ++line_number_;
  if (line.endsWith('\r')) line.chop(1);
  if (line.trimmed().isEmpty()) return;
  if (line.size() > kMaxLineBytes) {
    broken_ = QStringLiteral("line %1 is longer than %2 bytes")
                  .arg(line_number_)
                  .arg(kMaxLineBytes);
    return;
  }
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(line, &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) {
    broken_ = QStringLiteral("line %1 is not a JSON object: %2")
                  .arg(line_number_)
                  .arg(error.error != QJsonParseError::NoError
                           ? error.errorString()
                           : QStringLiteral("another JSON value"));
    return;
  }
  TarnwickEvent event;
  event.json = document.object();
  const QJsonValue v = event.json.value("v");
  if (events_ == 0 && v.toDouble(0) != kEventVersion) {
    refused_ = true;
    refused_version_ = v.toInt(0);
    return;
  }
  event.name = event.json.value("event").toString();
  if (event.name.isEmpty()) {
    broken_ = QStringLiteral("line %1 names no event").arg(line_number_);
    return;
  }
  event.type = TypeOf(event.name);
  event.t = event.json.value("t").toDouble(0);
  event.board = event.json.value("board").toString();
  ++events_;
  summary_last_ = event.type == TarnwickEvent::Type::kSummary;
  out->append(std::move(event));
}

StreamEnd EventStreamReader::Finish() const {
  if (refused_) return StreamEnd::kRefused;
  if (!broken_.isEmpty()) return StreamEnd::kBroken;
  if (!partial_.trimmed().isEmpty()) return StreamEnd::kCutInLine;
  if (events_ == 0) return StreamEnd::kEmpty;
  return summary_last_ ? StreamEnd::kComplete : StreamEnd::kCutOff;
}
