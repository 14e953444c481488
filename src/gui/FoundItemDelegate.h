#pragma once
// Draws every cell of grdFound itself: the row's colours and weight, the text at the cell's top
// left without margin, "-1" left out, and a vertical grid line.
#include <QStyledItemDelegate>

class FoundItemDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
