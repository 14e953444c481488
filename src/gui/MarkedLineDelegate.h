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
  // A light grey line down the right of every cell, as the view window's grid was designed.
  void setColumnLines(bool on) { columnLines_ = on; }
  std::vector<varko::MatchSpan> spansFor(const QModelIndex& index) const;

private:
  void paintLine(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

  int lineColumn_;
  varko::SpanRules rules_;
  bool columnLines_ = false;
};
