#pragma once
// The one crossing between the core's texts and Qt's.
#include <QString>
#include "lib/Text.h"

namespace varko::gui {

inline QString toQString(const Text& text) { return QString::fromStdU16String(text); }
inline Text toText(const QString& text) { return text.toStdU16String(); }

}  // namespace varko::gui
