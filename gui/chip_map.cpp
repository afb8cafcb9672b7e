#include "gui/chip_map.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "gui/kind_palette.h"
#include "gui/messages.h"

namespace {

constexpr ByteKind kLegend[] = {ByteKind::kBlank, ByteKind::kData,
                                ByteKind::kDiffers, ByteKind::kFailed};

}  // namespace

ChipMap::ChipMap(const ChipBuffer* buffer, QWidget* parent)
    : QWidget(parent), buffer_(buffer) {
  connect(buffer_, &ChipBuffer::changed, this, [this] {
    updateGeometry();
    update();
  });
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ChipMap::SetActiveAddress(int address) {
  if (address == active_address_) return;
  if (active_address_ >= 0)
    update(CellRect(active_address_).adjusted(-2, -2, 2, 2));
  active_address_ = address;
  if (address >= 0) update(CellRect(address).adjusted(-2, -2, 2, 2));
}

int ChipMap::Rows() const {
  return std::max(1, buffer_->ChipSize() / (kBlockBytes * kBlocksPerRow));
}

int ChipMap::LegendHeight() const { return fontMetrics().height() * 2 + 8; }

int ChipMap::CellSize() const {
  const int by_width = (width() - 2) / kBlocksPerRow;
  const int by_height = (height() - 2 - LegendHeight()) / Rows();
  return std::max(4, std::min(by_width, by_height));
}

QRect ChipMap::CellRect(int address) const {
  const int block = address / kBlockBytes;
  const int cell = CellSize();
  return QRect(1 + (block % kBlocksPerRow) * cell,
               1 + (block / kBlocksPerRow) * cell, cell - 1, cell - 1);
}

QSize ChipMap::sizeHint() const {
  return QSize(kBlocksPerRow * 14 + 2, Rows() * 14 + 2 + LegendHeight());
}

QSize ChipMap::minimumSizeHint() const {
  return QSize(kBlocksPerRow * 6 + 2, Rows() * 6 + 2 + LegendHeight());
}

int ChipMap::AddressAt(const QPoint& point) const {
  const int cell = CellSize();
  const int column = (point.x() - 1) / cell, row = (point.y() - 1) / cell;
  if (point.x() < 1 || point.y() < 1 || column >= kBlocksPerRow ||
      row >= Rows())
    return -1;
  return (row * kBlocksPerRow + column) * kBlockBytes;
}

void ChipMap::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  const int blocks = buffer_->ChipSize() / kBlockBytes;
  for (int b = 0; b < blocks; ++b) {
    const int address = b * kBlockBytes;
    painter.fillRect(CellRect(address),
                     ColorOf(buffer_->KindOf(address, kBlockBytes)));
  }
  if (active_address_ >= 0 && active_address_ < buffer_->ChipSize()) {
    painter.setPen(QPen(palette().windowText().color(), 2));
    painter.drawRect(CellRect(active_address_));
  }
  // The legend: two kinds a line.
  const int cell = CellSize();
  const int line = fontMetrics().height();
  const int top = 1 + Rows() * cell + 6;
  const int half = width() / 2;
  painter.setPen(palette().windowText().color());
  for (int i = 0; i < 4; ++i) {
    const QRect swatch((i % 2) * half + 2, top + (i / 2) * (line + 2) + 2,
                       line - 4, line - 4);
    painter.fillRect(swatch, ColorOf(kLegend[i]));
    painter.drawText(QRect(swatch.right() + 4, top + (i / 2) * (line + 2),
                           half - line, line),
                     Qt::AlignLeft | Qt::AlignVCenter, NameOf(kLegend[i]));
  }
}

void ChipMap::mousePressEvent(QMouseEvent* event) {
  const int address = AddressAt(event->position().toPoint());
  if (address >= 0) emit addressChosen(address);
}

bool ChipMap::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const int address = AddressAt(help->pos());
    if (address < 0) {
      QToolTip::hideText();
      return true;
    }
    QToolTip::showText(help->globalPos(),
                       tr("%1-%2: %3")
                           .arg(Hex(address, 4),
                                Hex(address + kBlockBytes - 1, 4),
                                NameOf(buffer_->KindOf(address, kBlockBytes))),
                       this);
    return true;
  }
  return QWidget::event(event);
}
