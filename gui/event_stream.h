#ifndef TARNWICK_GUI_EVENT_STREAM_H_
#define TARNWICK_GUI_EVENT_STREAM_H_

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// The version of `tarnwick --json` events this program reads.
constexpr int kEventVersion = 1;

// One event of the stream: a JSON object on a line of its own.
struct TarnwickEvent {
  enum class Type {
    kStart,
    kImage,
    kSignature,
    kProgress,
    kFailure,
    kResult,
    kChip,
    kWarning,
    kError,
    kSummary,
    kOther,  // a name this program does not know: ignored
  };
  Type type = Type::kOther;
  QString name;      // "event" as given
  double t = 0;      // seconds since the run started
  QString board;     // the board's name, when the run names boards
  QJsonObject json;  // the whole event, for its other keys

  QString Text(const char* key) const { return json.value(key).toString(); }
  qint64 Number(const char* key, qint64 absent = -1) const;
};

// How a stream ended, told by EventStreamReader::Finish.
enum class StreamEnd {
  kComplete,   // its last event was a summary
  kCutOff,     // events, but no summary: the process was killed
  kCutInLine,  // its last line was cut off before its end
  kEmpty,      // not a single event (a tarnwick that knows no --json)
  kRefused,    // the first event's version is not one this program reads
  kBroken,     // a line that is not an event of the stream
};

// Splits the bytes of `tarnwick --json`'s standard output into events, as
// they arrive, in any pieces. The first event's "v" must be kEventVersion;
// otherwise the stream is refused and nothing after it is read. Memory
// stays bounded: a line longer than kMaxLineBytes breaks the stream.
class EventStreamReader {
 public:
  static constexpr int kMaxLineBytes = 1 << 20;

  // The complete events in what has arrived so far. Once the stream is
  // refused or broken it gives nothing more.
  QList<TarnwickEvent> Feed(const QByteArray& bytes);

  // Called once the stream has ended: how it ended.
  StreamEnd Finish() const;

  // True once the stream was refused or broken.
  bool Stopped() const { return refused_ || !broken_.isEmpty(); }
  bool Refused() const { return refused_; }
  // The version a refused stream gave (0 when it gave none).
  int RefusedVersion() const { return refused_version_; }
  // What was wrong with a broken stream, in English, for the log.
  const QString& Broken() const { return broken_; }
  int EventCount() const { return events_; }

 private:
  void TakeLine(QByteArray line, QList<TarnwickEvent>* out);

  QByteArray partial_;
  int line_number_ = 0;
  int events_ = 0;
  bool summary_last_ = false;
  bool refused_ = false;
  int refused_version_ = 0;
  QString broken_;
};

#endif  // TARNWICK_GUI_EVENT_STREAM_H_
