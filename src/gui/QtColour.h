#pragma once
// The core's colours as Qt's, always opaque.
#include <QColor>
#include "lib/Palette.h"

namespace varko::gui {

inline QColor toQColor(Rgb rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb) | 0xFF000000u); }

}  // namespace varko::gui
