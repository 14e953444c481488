#include "FoundItemDelegate.h"

#include <QPainter>
#include "FoundTableModel.h"
#include "MatchMarks.h"
#include "QtColour.h"

std::vector<varko::MatchSpan> FoundItemDelegate::spansFor(const QModelIndex& index) const {
  return spansOf(index, index.data(Qt::DisplayRole).toString());
}

std::vector<varko::MatchSpan> FoundItemDelegate::spansOf(const QModelIndex& index, const QString& text) const {
  if (!index.isValid() || index.column() != 1) return {};
  bool number = false;
  const int line = index.siblingAtColumn(0).data(Qt::DisplayRole).toString().trimmed().toInt(&number);
  if (!number || line <= 0) return {};
  return varko::gui::MatchSpansOf(text, rules_);
}

void FoundItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  const auto* model = qobject_cast<const FoundTableModel*>(index.model());
  if (!model) return;
  const varko::FoundCellStyle style = model->cellStyle(index);
  painter->save();
  painter->fillRect(option.rect, varko::gui::toQColor(style.background));
  if (style.drawText) {
    // Printable characters are a pixel wide or more: a long line's text past the cell's width in
    // characters is never seen, and is neither laid out nor searched for marks.
    const QString text = model->shownText(index, option.rect.width() + 1);
    QFont font = model->rowFont();
    font.setBold(style.bold);
    painter->setFont(font);
    painter->setPen(varko::gui::toQColor(style.text));
    varko::gui::drawMarkedText(painter, option.rect,
                               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs, text,
                               spansOf(index, text));
  }
  painter->setPen(varko::gui::toQColor(varko::kGridLine));
  painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
  painter->restore();
}
