#ifndef TARNWICK_GUI_FILE_WATCH_H_
#define TARNWICK_GUI_FILE_WATCH_H_

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Watches one file for being rewritten, whether in place or by a new file
// renamed over it (as compilers and editors do), and for reappearing after
// it was removed. `changed` comes once the file has stayed the same for
// kSettleMs, so a file still being written is not taken half done.
class FileWatch : public QObject {
  Q_OBJECT

 public:
  static constexpr int kSettleMs = 300;

  explicit FileWatch(QObject* parent = nullptr);

  // Watches `path` from now on (its present state is not a change); an
  // empty path watches nothing.
  void Watch(const QString& path);
  const QString& Path() const { return path_; }

 signals:
  void changed(const QString& path);

 private:
  // What tells one state of the file from another.
  struct Stamp {
    bool exists = false;
    qint64 size = -1;
    QDateTime modified;
    quint64 inode = 0;
    bool operator==(const Stamp& o) const {
      return exists == o.exists && size == o.size && modified == o.modified &&
             inode == o.inode;
    }
  };
  Stamp StampNow() const;
  void Touched();
  void Settled();

  QFileSystemWatcher watcher_;
  QTimer settle_;
  QString path_;
  Stamp reported_;
  Stamp seen_;
};

#endif  // TARNWICK_GUI_FILE_WATCH_H_
