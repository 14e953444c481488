#pragma once
// Draws every cell of grdFound itself: the row's colours and weight, the text at the cell's top
// left without margin, "-1" left out, a vertical grid line, and the run's matches in a match
// row's text on a highlight.
#include <QStyledItemDelegate>
#include <vector>
#include "match/MatchSpans.h"

class FoundItemDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  void setMatchRules(const varko::SpanRules& rules) { rules_ = rules; }
  // What is highlighted in a cell: the matches in the text of a match row (a line number above 0).
  std::vector<varko::MatchSpan> spansFor(const QModelIndex& index) const;

private:
  std::vector<varko::MatchSpan> spansOf(const QModelIndex& index, const QString& text) const;

  varko::SpanRules rules_;
};
