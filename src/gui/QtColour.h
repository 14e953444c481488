#pragma once
// The core's colours as Qt's, always opaque.
#include <QColor>
#include <QPalette>
#include <QWidget>
#include "lib/Palette.h"

namespace varko::gui {

inline QColor toQColor(Rgb rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb) | 0xFF000000u); }

// A label's text and a field's typed text alike.
inline void setTextColour(QWidget* widget, Rgb rgb) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, toQColor(rgb));
  palette.setColor(QPalette::Text, toQColor(rgb));
  widget->setPalette(palette);
}

}  // namespace varko::gui
