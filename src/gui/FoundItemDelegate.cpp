#include "FoundItemDelegate.h"

#include <QPainter>
#include "MatchMarks.h"
#include "QtColour.h"

std::vector<varko::MatchSpan> FoundItemDelegate::spansFor(const QModelIndex& index) const {
  if (!index.isValid() || index.column() != 1) return {};
  bool number = false;
  const int line = index.siblingAtColumn(0).data(Qt::DisplayRole).toString().trimmed().toInt(&number);
  if (!number || line <= 0) return {};
  return varko::gui::MatchSpansOf(index.data(Qt::DisplayRole).toString(), rules_);
}

void FoundItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  painter->save();
  painter->fillRect(option.rect, index.data(Qt::BackgroundRole).value<QColor>());
  const QString text = index.data(Qt::DisplayRole).toString();
  if (!(index.column() == 0 && text == QLatin1String("-1"))) {
    painter->setFont(index.data(Qt::FontRole).value<QFont>());
    painter->setPen(index.data(Qt::ForegroundRole).value<QColor>());
    varko::gui::drawMarkedText(painter, option.rect,
                               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs, text,
                               spansFor(index));
  }
  painter->setPen(varko::gui::toQColor(varko::kGridLine));
  painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
  painter->restore();
}
