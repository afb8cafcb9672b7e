#include "gui/hex_model.h"

#include <QColor>

#include "gui/kind_palette.h"

namespace {

QString Hex(int value, int digits) {
  return QStringLiteral("%1").arg(value, digits, 16, QChar('0')).toUpper();
}

}  // namespace

HexModel::HexModel(const ChipBuffer* buffer, QObject* parent)
    : QAbstractTableModel(parent), buffer_(buffer) {
  rows_ = buffer_->ChipSize() / kBytesPerRow;
  connect(buffer_, &ChipBuffer::changed, this, &HexModel::BufferChanged);
}

int HexModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int HexModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kBytesPerRow + 1;
}

QVariant HexModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  const int row_start = index.row() * kBytesPerRow;
  if (index.column() == kTextColumn) {
    if (role != Qt::DisplayRole) return QVariant();
    QString text;
    for (int a = row_start; a < row_start + kBytesPerRow; ++a) {
      const quint8 byte = buffer_->ByteAt(a);
      text += buffer_->KindAt(a) == ByteKind::kOutside ? QChar(' ')
              : byte >= 0x20 && byte < 0x7F            ? QChar(byte)
                                                       : QChar('.');
    }
    return text;
  }
  const int address = row_start + index.column();
  const ByteKind kind = buffer_->KindAt(address);
  switch (role) {
    case Qt::DisplayRole:
      return kind == ByteKind::kOutside ? QStringLiteral("--")
                                        : Hex(buffer_->ByteAt(address), 2);
    case Qt::BackgroundRole:
      return ColorOf(kind);
    case Qt::TextAlignmentRole:
      return Qt::AlignCenter;
    case Qt::ToolTipRole: {
      QString tip = tr("%1: %2").arg(Hex(address, 4), NameOf(kind));
      if (buffer_->ChipKnownAt(address) &&
          (kind == ByteKind::kDiffers || kind == ByteKind::kFailed)) {
        tip += "\n" + tr("image %1, chip %2")
                          .arg(Hex(buffer_->ByteAt(address), 2),
                               Hex(buffer_->ChipAt(address), 2));
      }
      return tip;
    }
    default:
      return QVariant();
  }
}

QVariant HexModel::headerData(int section, Qt::Orientation orientation,
                              int role) const {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Vertical) return Hex(section * kBytesPerRow, 4);
  if (section == kTextColumn) return tr("Text");
  return Hex(section, 1);
}

QModelIndex HexModel::IndexOf(int address) const {
  return index(address / kBytesPerRow, address % kBytesPerRow);
}

void HexModel::BufferChanged() {
  const int rows = buffer_->ChipSize() / kBytesPerRow;
  if (rows != rows_) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
    return;
  }
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, kTextColumn));
}
