#include "MarkedLineDelegate.h"

#include <QApplication>
#include <QPainter>
#include "MatchMarks.h"
#include "QtColour.h"

std::vector<varko::MatchSpan> MarkedLineDelegate::spansFor(const QModelIndex& index) const {
  if (!index.isValid() || index.column() != lineColumn_) return {};
  return varko::gui::MatchSpansOf(index.data(Qt::DisplayRole).toString(), rules_);
}

void MarkedLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  if (index.column() != lineColumn_)
    QStyledItemDelegate::paint(painter, option, index);
  else
    paintLine(painter, option, index);
  if (!columnLines_) return;
  painter->save();
  painter->setPen(varko::gui::toQColor(varko::kGridLine));
  painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
  painter->restore();
}

void MarkedLineDelegate::paintLine(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
  // Every line is drawn the one way, so a line with a match sits exactly as one without.
  const std::vector<varko::MatchSpan> spans = spansFor(index);
  QStyleOptionViewItem cell = option;
  initStyleOption(&cell, index);
  const QWidget* widget = cell.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  // The place Qt gives the text, found before the text is taken out of the cell it then draws.
  QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  textRect.adjust(margin, 0, -margin, 0);
  const QString text = cell.text;
  cell.text.clear();
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

  const bool selected = cell.state & QStyle::State_Selected;
  const QPalette::ColorGroup group = (cell.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
  painter->save();
  painter->setFont(cell.font);
  painter->setPen(cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
  // A selected row's light text is dark where it lies on the highlight.
  const QColor markText = selected ? varko::gui::toQColor(varko::kNavy) : QColor();
  varko::gui::drawMarkedText(painter, textRect,
                             int(cell.displayAlignment) | Qt::TextSingleLine | Qt::TextExpandTabs, text, spans,
                             markText);
  painter->restore();
}
