#pragma once
// The core's colours as Qt's, always opaque, and the light look the windows were designed with.
#include <QColor>
#include <QPalette>
#include <QWidget>
#include "lib/Palette.h"

namespace varko::gui {

// The light grey of buttons and dialog faces the windows were designed on.
inline constexpr Rgb kDialogFace = 0xF0F0F0;

inline QColor toQColor(Rgb rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb) | 0xFF000000u); }

// The designed light palette on a ground: black text, white fields, light grey buttons, a light
// blue selection. Every role a window shows text or ground with is set, so a dark desktop theme
// can neither leave its light text on the designed white nor put the designed navy on its own
// dark grounds (a default button's ground is tinted with the selection colour, too).
inline QPalette designedPalette(Rgb ground = kDialogFace) {
  QPalette palette(toQColor(kDialogFace), toQColor(ground));
  palette.setColor(QPalette::Highlight, QColor(0x30, 0x8C, 0xC6));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::PlaceholderText, toQColor(kGrey));
  palette.setColor(QPalette::Link, Qt::blue);
  palette.setColor(QPalette::LinkVisited, Qt::magenta);
  return palette;
}

// A window (or a part of one) in the designed look on its ground.
inline void setDesignedLook(QWidget* widget, Rgb ground = kDialogFace) {
  widget->setPalette(designedPalette(ground));
  widget->setAutoFillBackground(true);
}

// A label's text and a field's typed text alike, with the ground the colour was chosen for: the
// two always go together, whatever the theme around them.
inline void setTextColour(QWidget* widget, Rgb rgb, Rgb ground = kWhite) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, toQColor(rgb));
  palette.setColor(QPalette::Text, toQColor(rgb));
  palette.setColor(QPalette::Window, toQColor(ground));
  palette.setColor(QPalette::Base, toQColor(ground));
  widget->setPalette(palette);
}

}  // namespace varko::gui
