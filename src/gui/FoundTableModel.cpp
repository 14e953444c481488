#include "FoundTableModel.h"

#include <QTimer>
#include <algorithm>
#include "results/FoundRowStyle.h"
#include "QtColour.h"
#include "QtText.h"

namespace {
using varko::gui::toQColor;
using varko::gui::toQString;
}  // namespace

FoundTableModel::FoundTableModel(varko::ResultTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), shownRows_(table.rowCount()) {
  table_.setObserver(this);
}

FoundTableModel::~FoundTableModel() {
  if (table_.observer() == this) table_.setObserver(nullptr);
}

int FoundTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int FoundTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.columnCount();
}

QVariant FoundTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() < 0 || index.row() >= shownRows_ || index.column() < 0 ||
      index.column() >= table_.columnCount())
    return {};
  const int row = index.row();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return toQString(table_.cell(index.column(), row));
    case Qt::ToolTipRole:
      return hint_;
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
    case Qt::FontRole: {
      const varko::FoundCellStyle style = cellStyle(index);
      if (role == Qt::ForegroundRole) return toQColor(style.text);
      if (role == Qt::BackgroundRole) return toQColor(style.background);
      QFont font = rowFont_;
      font.setBold(style.bold);
      return font;
    }
    default:
      return {};
  }
}

varko::FoundCellStyle FoundTableModel::cellStyle(const QModelIndex& index) const {
  const int row = index.row();
  const varko::Text line = table_.cell(0, row);
  // Only rows without a line number look at their text (for a file's extension).
  const varko::Text text = varko::xcIsBlank(line) ? table_.textCell(row) : varko::Text();
  return varko::FoundCellStyleOf(index.column(), line, text, row == table_.currentRow());
}

QString FoundTableModel::shownText(const QModelIndex& index, int most) const {
  if (!index.isValid() || index.row() >= shownRows_) return {};
  most = std::max(most, 1);
  QString text;
  const varko::ResultTable::StoredCell cell = table_.storedCell(index.column(), index.row());
  const size_t room = static_cast<size_t>(most) * 4;  // no character takes more UTF-8 bytes
  if (cell.kind == varko::ResultTable::StoredCell::Bytes && cell.bytes.size() > room) {
    size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(cell.bytes[cut]) & 0xC0) == 0x80) --cut;
    text = toQString(varko::fromUtf8(cell.bytes.substr(0, cut)));
  } else {
    text = data(index).toString();
  }
  if (text.size() > most) text.truncate(text.at(most - 1).isHighSurrogate() ? most - 1 : most);
  return text;
}

QVariant FoundTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section;
  static const char* const names[] = {"Line", "Text", "File", "Position"};
  return section >= 0 && section < 4 ? QString::fromLatin1(names[section]) : QString::number(section);
}

void FoundTableModel::setRowFont(const QFont& font) {
  rowFont_ = font;
  if (shownRows_ > 0) emit dataChanged(index(0, 0), index(shownRows_ - 1, table_.columnCount() - 1), {Qt::FontRole});
}

void FoundTableModel::setHint(const QString& hint) { hint_ = hint; }

void FoundTableModel::flush() {
  flushScheduled_ = false;
  if (!pending_) return;
  pending_ = false;
  const int rows = table_.rowCount();
  if (rows > shownRows_) {
    beginInsertRows(QModelIndex(), shownRows_, rows - 1);
    shownRows_ = rows;
    endInsertRows();
    ++insertBatches_;
  }
  emit currentRowMoved(table_.currentRow());
  emit topRowMoved(table_.topRow());
}

void FoundTableModel::tableReset() {
  beginResetModel();
  shownRows_ = table_.rowCount();
  pending_ = false;
  endResetModel();
  emit currentRowMoved(table_.currentRow());
}

void FoundTableModel::rowsAppended(int, int) {
  pending_ = true;
  scheduleFlush();
}

void FoundTableModel::rowChanged(int row) {
  // Rows not yet handed over are read in full when they are.
  if (row >= 0 && row < shownRows_) emit dataChanged(index(row, 0), index(row, table_.columnCount() - 1));
}

void FoundTableModel::currentRowChanged(int row) {
  if (!pending_) emit currentRowMoved(row);
}

void FoundTableModel::topRowChanged(int row) {
  if (!pending_) emit topRowMoved(row);
}

void FoundTableModel::scheduleFlush() {
  if (flushScheduled_) return;
  flushScheduled_ = true;
  QTimer::singleShot(0, this, &FoundTableModel::flush);
}
