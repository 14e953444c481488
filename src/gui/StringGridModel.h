#pragma once
// A read-only string grid (the view window's and the file window's) as a table model over a
// ResultTable. The grid's fixed rows are not model rows: the view's header stands for them.
#include <QAbstractTableModel>
#include <QColor>
#include "results/ResultTable.h"

class StringGridModel : public QAbstractTableModel {
  Q_OBJECT
public:
  StringGridModel(const varko::ResultTable& grid, QColor textColour, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // Grid rows and model rows differ by the grid's fixed rows.
  int modelRow(int gridRow) const { return gridRow - grid_.fixedRows(); }
  int gridRow(int modelRow) const { return modelRow + grid_.fixedRows(); }

  // The grid was filled or emptied.
  void reload();
  // One grid row changed.
  void rowUpdated(int gridRow);

private:
  const varko::ResultTable& grid_;
  QColor textColour_;
};
