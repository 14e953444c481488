#include "ListWindowParts.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>

namespace varko::gui {

QLabel* greyLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, toQColor(kGrey));
  label->setPalette(palette);
  return label;
}

QListWidget* greenCheckList(QWidget* parent) {
  auto* list = new QListWidget(parent);
  QPalette palette = list->palette();
  palette.setColor(QPalette::Text, toQColor(kGreen));
  list->setPalette(palette);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
}

QListWidgetItem* addCheckLine(QListWidget* list, const QString& text, bool checked) {
  auto* item = new QListWidgetItem(text, list);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  item->setSizeHint(QSize(0, list->fontMetrics().height() + 6));
  return item;
}

void showSettingsError(QWidget* parent, const QString& message) {
  QMessageBox::critical(parent, QApplication::applicationDisplayName(), message);
}

int currentLine(const QListWidget* list) {
  const int row = list->currentRow();
  return row < 0 ? 0 : row;
}

}  // namespace varko::gui
