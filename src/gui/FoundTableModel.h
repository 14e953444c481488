#pragma once
// The rows of grdFound as a Qt table model. The search run appends rows to the ResultTable one by
// one; the model gathers them and tells the views once per batch (when the run lets events through,
// or at the next turn of the event loop), so a run of millions of rows stays quick and the views
// never hold more than the table does.
#include <QAbstractTableModel>
#include <QFont>
#include "results/FoundRowStyle.h"
#include "results/ResultTable.h"

class FoundTableModel : public QAbstractTableModel, public varko::ResultTableObserver {
  Q_OBJECT
public:
  explicit FoundTableModel(varko::ResultTable& table, QObject* parent = nullptr);
  ~FoundTableModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  varko::ResultTable& table() { return table_; }
  const varko::ResultTable& table() const { return table_; }

  // What the grid draws, read without the roles: the row's style, and the start of a cell's text,
  // at most most characters, so a line of megabytes is not decoded whole to show its start.
  varko::FoundCellStyle cellStyle(const QModelIndex& index) const;
  QString shownText(const QModelIndex& index, int most) const;

  // The font the rows are drawn with: the window's face at the results font size.
  void setRowFont(const QFont& font);
  QFont rowFont() const { return rowFont_; }
  void setHint(const QString& hint);
  QString hint() const { return hint_; }

  // Hands the rows appended since the last batch to the views.
  void flush();
  bool hasPendingRows() const { return pending_; }
  int insertBatches() const { return insertBatches_; }

signals:
  // The table's current or top row moved (after the rows are in the views).
  void currentRowMoved(int row);
  void topRowMoved(int row);

private:
  void tableReset() override;
  void rowsAppended(int first, int last) override;
  void rowChanged(int row) override;
  void currentRowChanged(int row) override;
  void topRowChanged(int row) override;
  void scheduleFlush();

  varko::ResultTable& table_;
  int shownRows_ = 0;
  bool pending_ = false;
  bool flushScheduled_ = false;
  int insertBatches_ = 0;
  QFont rowFont_;
  QString hint_;
};
