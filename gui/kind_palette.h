#ifndef TARNWICK_GUI_KIND_PALETTE_H_
#define TARNWICK_GUI_KIND_PALETTE_H_

#include <QColor>
#include <QString>

#include "gui/chip_buffer.h"

// The colour the hex view and the chip map give each kind of byte.
QColor ColorOf(ByteKind kind);

// The kind's name, as the legend and tooltips show it.
QString NameOf(ByteKind kind);

#endif  // TARNWICK_GUI_KIND_PALETTE_H_
