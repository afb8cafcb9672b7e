#include "gui/kind_palette.h"

#include <QCoreApplication>

QColor ColorOf(ByteKind kind) {
  switch (kind) {
    case ByteKind::kOutside:
      return QColor(0xFF, 0xFF, 0xFF);
    case ByteKind::kBlank:
      return QColor(0xE4, 0xE4, 0xE4);
    case ByteKind::kData:
      return QColor(0x9F, 0xD0, 0xFF);
    case ByteKind::kDiffers:
      return QColor(0xFF, 0xC8, 0x57);
    case ByteKind::kFailed:
      return QColor(0xE8, 0x40, 0x40);
  }
  return QColor();
}

QString NameOf(ByteKind kind) {
  switch (kind) {
    case ByteKind::kOutside:
      return QCoreApplication::translate("ByteKind", "not in the image");
    case ByteKind::kBlank:
      return QCoreApplication::translate("ByteKind", "FF (blank)");
    case ByteKind::kData:
      return QCoreApplication::translate("ByteKind", "data");
    case ByteKind::kDiffers:
      return QCoreApplication::translate("ByteKind", "differs from the chip");
    case ByteKind::kFailed:
      return QCoreApplication::translate("ByteKind", "failed to program");
  }
  return QString();
}
