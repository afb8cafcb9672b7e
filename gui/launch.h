#ifndef TARNWICK_GUI_LAUNCH_H_
#define TARNWICK_GUI_LAUNCH_H_

#include <QByteArray>
#include <QString>
#include <QStringList>

// How a tarnwick run is started: `program` with `arguments` first, then the
// run's own (tarnwick itself, or pkexec naming tarnwick).
struct Launch {
  QString program;
  QStringList arguments;
  bool elevated = false;  // through pkexec: the run belongs to root
};

// The program that asks for an administrator before starting tarnwick on
// real hardware; the polkit policy the package installs names
// /usr/bin/tarnwick.
constexpr char kPkexec[] = "/usr/bin/pkexec";

// Whether tarnwick has to be started through pkexec: only on real hardware
// (a simulated board needs no privilege), and only when this program is not
// root and tarnwick lacks CAP_SYS_RAWIO (then it drives the ports itself).
bool NeedsPkexec(bool simulated, bool running_as_root, bool tarnwick_has_rawio);

// True when the file's capabilities give CAP_SYS_RAWIO, permitted and
// effective (setcap cap_sys_rawio+ep FILE).
bool FileHasRawIoCapability(const QString& file);

// Whether a file's "security.capability" record (struct vfs_cap_data of
// any revision, little-endian) gives capability number `capability` both
// permitted and effective. False for a record too short for its revision.
bool CapabilityRecordGives(const QByteArray& record, int capability);

// The launch of `tarnwick` (an absolute path) for a board.
Launch LaunchFor(const QString& tarnwick, bool simulated);

// The tarnwick to drive: `given` when not empty, else the one beside this
// program (as packaged, /usr/bin), else the first on PATH. Empty when
// none is found.
QString FindTarnwick(const QString& given, const QString& own_directory);

#endif  // TARNWICK_GUI_LAUNCH_H_
