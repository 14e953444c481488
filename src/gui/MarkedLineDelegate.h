#pragma once
// The line column of the view window's and the file window's grids: drawn as Qt draws a cell,
// with the last run's matches on a highlight in every line.
#include <QStyledItemDelegate>
#include <vector>
#include "match/MatchSpans.h"

class MarkedLineDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  // lineColumn: the column holding the file's lines.
  explicit MarkedLineDelegate(int lineColumn, QObject* parent = nullptr)
      : QStyledItemDelegate(parent), lineColumn_(lineColumn) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  void setMatchRules(const varko::SpanRules& rules) { rules_ = rules; }
  std::vector<varko::MatchSpan> spansFor(const QModelIndex& index) const;

private:
  int lineColumn_;
  varko::SpanRules rules_;
};
