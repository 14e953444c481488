#pragma once
// Small pieces shared by the advanced list, tips and feedback windows.
#include <QString>

#include "QtColour.h"
#include "QtText.h"
#include "lib/Text.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QWidget;

namespace varko::gui {

QLabel* greyLabel(const QString& text, QWidget* parent);
// A list whose lines carry check boxes, drawn in green.
QListWidget* greenCheckList(QWidget* parent);
// Appends a checkable line; empty lines are as tall as the others.
QListWidgetItem* addCheckLine(QListWidget* list, const QString& text, bool checked);
// The platform's error box for a refused settings write ("Unable to write to <file>").
void showSettingsError(QWidget* parent, const QString& message);
// The line the list's actions apply to: the selected one, or line 0 when none is.
int currentLine(const QListWidget* list);

}  // namespace varko::gui
