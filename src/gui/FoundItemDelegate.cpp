#include "FoundItemDelegate.h"

#include <QPainter>
#include "QtColour.h"

void FoundItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  painter->save();
  painter->fillRect(option.rect, index.data(Qt::BackgroundRole).value<QColor>());
  const QString text = index.data(Qt::DisplayRole).toString();
  if (!(index.column() == 0 && text == QLatin1String("-1"))) {
    painter->setFont(index.data(Qt::FontRole).value<QFont>());
    painter->setPen(index.data(Qt::ForegroundRole).value<QColor>());
    painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs, text);
  }
  painter->setPen(varko::gui::toQColor(varko::kGridLine));
  painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
  painter->restore();
}
