#include "ListWindowParts.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

namespace varko::gui {

QLabel* greyLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  setTextColour(label, kGrey);
  return label;
}

void showSettingsError(QWidget* parent, const QString& message) {
  QMessageBox::critical(parent, QApplication::applicationDisplayName(), message);
}

}  // namespace varko::gui
