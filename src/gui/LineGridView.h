#pragma once
// The grid of the view window and of the file window: a table view whose letter keys do not
// jump to a row starting with them (the grids keep only their own keys).
#include <QTableView>

class LineGridView : public QTableView {
public:
  using QTableView::QTableView;

protected:
  void keyboardSearch(const QString&) override {}
};
