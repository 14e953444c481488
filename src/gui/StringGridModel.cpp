#include "StringGridModel.h"

StringGridModel::StringGridModel(const varko::ResultTable& grid, QColor textColour, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), textColour_(textColour) {}

int StringGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  // An empty grid still reports one row; without lines there is nothing to show.
  int rows = grid_.rowCount() - grid_.fixedRows();
  return rows < 0 ? 0 : rows;
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.columnCount();
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      return QString::fromStdU16String(grid_.cell(index.column(), gridRow(index.row())));
    case Qt::ForegroundRole:
      return textColour_;
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignTop));
    default:
      return {};
  }
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  // The fixed header row is left blank.
  if (role == Qt::DisplayRole && orientation == Qt::Horizontal) return QString();
  return QAbstractTableModel::headerData(section, orientation, role);
}

void StringGridModel::reload() {
  beginResetModel();
  endResetModel();
}

void StringGridModel::rowUpdated(int gridRow) {
  int row = modelRow(gridRow);
  if (row < 0 || row >= rowCount()) return;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}
