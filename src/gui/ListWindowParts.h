#pragma once
// Small pieces shared by the advanced list, strings, replace, tips and feedback windows.
#include <QString>

#include "QtColour.h"
#include "QtText.h"
#include "lib/Text.h"

class QLabel;
class QWidget;

namespace varko::gui {

QLabel* greyLabel(const QString& text, QWidget* parent);
// The platform's error box for a refused settings write ("Unable to write to <file>").
void showSettingsError(QWidget* parent, const QString& message);

}  // namespace varko::gui
