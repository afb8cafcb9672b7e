#include "gui/file_watch.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>

FileWatch::FileWatch(QObject* parent) : QObject(parent) {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, &FileWatch::Settled);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this,
          &FileWatch::Touched);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
          &FileWatch::Touched);
}

void FileWatch::Watch(const QString& path) {
  settle_.stop();
  if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
  if (!watcher_.directories().isEmpty())
    watcher_.removePaths(watcher_.directories());
  path_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
  if (path_.isEmpty()) return;
  // The folder tells of a file renamed over this one, or made again.
  watcher_.addPath(QFileInfo(path_).absolutePath());
  if (QFileInfo::exists(path_)) watcher_.addPath(path_);
  reported_ = seen_ = StampNow();
}

FileWatch::Stamp FileWatch::StampNow() const {
  Stamp stamp;
  struct stat st;
  if (stat(QFile::encodeName(path_).constData(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.size = st.st_size;
  stamp.inode = st.st_ino;
  stamp.modified = QDateTime::fromMSecsSinceEpoch(st.st_mtim.tv_sec * 1000LL +
                                                  st.st_mtim.tv_nsec / 1000000);
  return stamp;
}

void FileWatch::Touched() {
  if (path_.isEmpty()) return;
  // A file replaced by a rename is a new file: watch it again.
  if (QFileInfo::exists(path_) && !watcher_.files().contains(path_))
    watcher_.addPath(path_);
  seen_ = StampNow();
  settle_.start();  // again from now, while the file keeps changing
}

void FileWatch::Settled() {
  const Stamp now = StampNow();
  if (!(now == seen_)) {  // changed meanwhile: wait for it to settle
    seen_ = now;
    settle_.start();
    return;
  }
  if (!now.exists || now == reported_) return;
  reported_ = now;
  emit changed(path_);
}
