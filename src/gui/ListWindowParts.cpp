#include "ListWindowParts.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

namespace varko::gui {

QLabel* greyLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, toQColor(kGrey));
  label->setPalette(palette);
  return label;
}

void showSettingsError(QWidget* parent, const QString& message) {
  QMessageBox::critical(parent, QApplication::applicationDisplayName(), message);
}

}  // namespace varko::gui
