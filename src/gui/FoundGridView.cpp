#include "FoundGridView.h"

#include <algorithm>

#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

#include "FoundItemDelegate.h"
#include "FoundTableModel.h"
#include "QtText.h"
#include "results/FoundRowStyle.h"
#include "results/GridFind.h"

using namespace varko;
using varko::gui::toQString;
using varko::gui::toText;

FoundGridView::FoundGridView(ResultTable& table, QWidget* parent)
    : QTableView(parent), table_(table), model_(new FoundTableModel(table, this)) {
  setObjectName(QStringLiteral("grdFound"));
  setAccessibleName(QStringLiteral("Matches"));
  setModel(model_);
  setItemDelegate(new FoundItemDelegate(this));
  horizontalHeader()->hide();
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setStretchLastSection(false);
  setShowGrid(false);
  setWordWrap(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab leaves the grid; inside it Tab would move the current cell (also when the grid hides).
  setTabKeyNavigation(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setColumnWidth(0, 44);
  setColumnWidth(1, 744);
  // Columns 2 and 3 carry the file and position: never seen, still searched.
  setColumnHidden(2, true);
  setColumnHidden(3, true);
  setToolTip(toQString(kFoundGridFirstHint));
  model_->setHint(toolTip());

  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex& previous) {
            if (!current.isValid()) return;
            if (!syncingCurrentRow_) {
              column_ = current.column();
              table_.setCurrentRow(current.row());
            }
            if (current.row() != previous.row()) enterRow();
            viewport()->update();
          });
  connect(model_, &FoundTableModel::currentRowMoved, this, &FoundGridView::showCurrentRow);
  connect(model_, &FoundTableModel::topRowMoved, this, [this](int row) { verticalScrollBar()->setValue(row); });
  connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) emit rowOpened(index.row());
  });
}

void FoundGridView::setResultsFontSize(int size) {
  QFont font(QStringLiteral("Verdana"));
  font.setPointSize(size);
  model_->setRowFont(font);
  verticalHeader()->setDefaultSectionSize(ResultsRowHeight(size));
}

void FoundGridView::fitColumns(int width) {
  GridMeasures measures;
  measures.defaultRowHeight = verticalHeader()->defaultSectionSize();
  measures.fontSize = font().pointSize();
  measures.width = width;
  for (int c = 0; c < model_->columnCount(); ++c) measures.columnWidths.push_back(isColumnHidden(c) ? 0 : columnWidth(c));
  FitFoundColumns(measures);
  verticalHeader()->setDefaultSectionSize(measures.defaultRowHeight);
  if (measures.fontSize != font().pointSize()) {
    QFont fitted = font();
    fitted.setPointSize(measures.fontSize);
    setFont(fitted);
  }
  for (int c = 0; c < static_cast<int>(measures.columnWidths.size()); ++c)
    if (measures.columnWidths[static_cast<size_t>(c)] > 0) setColumnWidth(c, measures.columnWidths[static_cast<size_t>(c)]);
}

void FoundGridView::rememberFirstWidths(int width) {
  firstGridWidth_ = width;
  firstColumn1Width_ = columnWidth(1);
}

void FoundGridView::widenTextColumn(int width) {
  setColumnWidth(1, std::max(1, width - firstGridWidth_ + firstColumn1Width_));
}

void FoundGridView::showCurrentRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  // The view's own current cell stays in a shown column: Qt neither scrolls to a hidden cell nor
  // pages from one. The find column is kept apart, in column_.
  int column = std::clamp(column_, 0, model_->columnCount() - 1);
  if (isColumnHidden(column)) column = 1;
  const QModelIndex index = model_->index(row, column);
  if (currentIndex() != index) {
    syncingCurrentRow_ = true;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    syncingCurrentRow_ = false;
  }
  scrollTo(index);
}

void FoundGridView::enterRow() {
  emit rowEntered();
  QString hint = toQString(FoundGridRowHint(table_.pathCell(table_.currentRow())));
  model_->setHint(hint);
  setToolTip(hint);
}

void FoundGridView::keyPressEvent(QKeyEvent* event) {
  if (!gridKey(event)) QTableView::keyPressEvent(event);
}

void FoundGridView::setMatchRules(const SpanRules& rules) {
  static_cast<FoundItemDelegate*>(itemDelegate())->setMatchRules(rules);
  viewport()->update();
}

bool FoundGridView::gridKey(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  int column = column_;
  bool moved = false;
  // Ctrl+F, Ctrl+V and Ctrl+W act once when the key goes down: a held key repeats nothing, and
  // releasing Ctrl before the letter does not matter.
  if ((event->key() == Qt::Key_F || event->key() == Qt::Key_V || event->key() == Qt::Key_W) && ctrl &&
      event->isAutoRepeat()) {
    return true;
  } else if (event->key() == Qt::Key_V && ctrl) {
    emit viewFileKey();
  } else if (event->key() == Qt::Key_W && ctrl) {
    emit fileWindowKey();
  } else if (event->key() == Qt::Key_F && ctrl) {
    moved = xcGridSearch(table_, column, *findText_, [this](Text& findText) {
      bool ok = false;
      QString text = QInputDialog::getText(window(), QStringLiteral("Find:"), QStringLiteral("Text to find:"),
                                           QLineEdit::Normal, toQString(findText), &ok);
      if (ok) findText = toText(text);
      return ok;
    });
  } else if (event->key() == Qt::Key_F3) {
    moved = shift ? xcGridSearchPrev(table_, column, *findText_) : xcGridSearchNext(table_, column, *findText_);
  } else if (event->key() == Qt::Key_N && ctrl) {
    SelectNextFile(table_);
  } else if (event->key() == Qt::Key_P && ctrl) {
    SelectPrevFile(table_);
  } else {
    return false;
  }
  if (moved) column_ = column;
  // Every move, also one to the row that was current, shows the current row.
  showCurrentRow(table_.currentRow());
  return true;
}
