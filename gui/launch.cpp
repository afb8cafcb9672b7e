#include "gui/launch.h"

#include <linux/capability.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

bool NeedsPkexec(bool simulated, bool running_as_root,
                 bool tarnwick_has_rawio) {
  return !simulated && !running_as_root && !tarnwick_has_rawio;
}

bool CapabilityRecordGives(const QByteArray& record, int capability) {
  auto word = [&](int i) {
    quint32 w = 0;
    for (int b = 3; b >= 0; --b)
      w = (w << 8) | static_cast<quint8>(record[4 * i + b]);
    return w;
  };
  if (record.size() < 4) return false;
  const quint32 magic = word(0);
  const quint32 revision = magic & 0xFF000000u;
  const int words = revision == 0x01000000u ? 1 : 2;  // 32 or 64 bits
  if (revision != 0x01000000u && revision != 0x02000000u &&
      revision != 0x03000000u)
    return false;
  if (record.size() < 4 * (1 + 2 * words)) return false;
  if ((magic & 0x1u) == 0) return false;  // not effective
  if (capability >= 32 * words) return false;
  // data[k] = {permitted, inheritable}: permitted of word k at 1 + 2k.
  return (word(1 + 2 * (capability / 32)) >> (capability % 32)) & 1u;
}

bool FileHasRawIoCapability(const QString& file) {
  char bytes[XATTR_CAPS_SZ];
  const ssize_t n = getxattr(QFile::encodeName(file).constData(),
                             "security.capability", bytes, sizeof bytes);
  return n > 0 && CapabilityRecordGives(QByteArray(bytes, static_cast<int>(n)),
                                        CAP_SYS_RAWIO);
}

Launch LaunchFor(const QString& tarnwick, bool simulated) {
  if (NeedsPkexec(simulated, geteuid() == 0,
                  FileHasRawIoCapability(tarnwick))) {
    return Launch{kPkexec, {tarnwick}, true};
  }
  return Launch{tarnwick, {}, false};
}

QString FindTarnwick(const QString& given, const QString& own_directory) {
  if (!given.isEmpty()) {
    const QFileInfo info(given);
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath()
                                                : QString();
  }
  const QFileInfo beside(QDir(own_directory).filePath("tarnwick"));
  if (beside.isFile() && beside.isExecutable())
    return beside.absoluteFilePath();
  return QStandardPaths::findExecutable("tarnwick");
}
