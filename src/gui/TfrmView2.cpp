#include "TfrmView2.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include "LineGridView.h"
#include "MarkedLineDelegate.h"
#include "StringGridModel.h"
#include "lib/Library.h"
#include "results/FileViews.h"
#include "results/GridFind.h"
#include "QtText.h"
#include "QtColour.h"

namespace {
constexpr int kRowHeight = 16;
using varko::gui::toQString;
}  // namespace

TfrmView2::TfrmView2(varko::Text& gridFindText, QWidget* parent)
    : QDialog(parent), findText_(gridFindText) {
  setObjectName("frmView2");
  setWindowTitle("frmView2");
  // The navy lines were chosen for a white grid, whatever the desktop's theme.
  varko::gui::setDesignedLook(this);
  resize(1100, 470);

  model_ = new StringGridModel(grid_, varko::gui::toQColor(varko::kNavy), this);
  grdView2 = new LineGridView(this);
  grdView2->setObjectName("grdView2");
  grdView2->setAccessibleName("File lines");
  grdView2->setModel(model_);
  lineDelegate_ = new MarkedLineDelegate(1, grdView2);
  grdView2->setItemDelegate(lineDelegate_);
  grdView2->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdView2->setSelectionMode(QAbstractItemView::SingleSelection);
  grdView2->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdView2->setWordWrap(false);
  grdView2->setShowGrid(false);
  // Vertical lines only, as the grid was designed.
  lineDelegate_->setColumnLines(true);
  // Fixed row heights keep a file of millions of lines as quick as a short one.
  grdView2->verticalHeader()->hide();
  grdView2->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grdView2->verticalHeader()->setMinimumSectionSize(kRowHeight);
  grdView2->verticalHeader()->setDefaultSectionSize(kRowHeight);
  grdView2->horizontalHeader()->setFixedHeight(kRowHeight);
  grdView2->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grdView2->horizontalHeader()->setStretchLastSection(false);
  grdView2->setColumnWidth(0, 50);
  grdView2->setColumnWidth(1, 1050);
  grdView2->installEventFilter(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(grdView2);

  connect(grdView2->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { takeCurrentFromView(); });

  findPrompt = [this](varko::Text& text) {
    bool ok = false;
    QString typed = QInputDialog::getText(this, "Find:", "Text to find:", QLineEdit::Normal, toQString(text), &ok);
    if (ok) text = typed.toStdU16String();
    return ok;
  };
}

TfrmView2::~TfrmView2() = default;

void TfrmView2::viewFile(const QString& path, int viewLine, bool courier) {
  if (viewOpen_) return;
  viewOpen_ = true;
  prepare(path, viewLine, courier);
  exec();
  viewOpen_ = false;
}

void TfrmView2::prepare(const QString& path, int viewLine, bool courier) {
  QFont font = courier ? QFont("Courier New", 9) : QFont("Verdana", 8);
  if (courier) font.setStyleHint(QFont::Monospace);
  grdView2->setFont(font);

  const varko::Text file = path.toStdU16String();
  if (!varko::xcFileExists(file)) {
    // The lines of the last file went when it closed; say why nothing shows.
    setWindowTitle(path + " - file not found");
  } else {
    setWindowTitle(path);
    varko::TextList lines;
    varko::Text error = varko::LoadWholeFile(file, lines);
    if (!error.empty()) {
      QMessageBox::critical(this, windowTitle(), toQString(error));
    } else {
      // A line that is not one (-1) keeps the row that was current, also across a close.
      const int earlierRow = lineCount() > 0 ? grid_.currentRow() : keptRow_;
      varko::FillViewGrid(std::move(lines), grid_);
      model_->reload();
      grid_.setCurrentRow(varko::ViewCurrentRow(viewLine, lineCount(), std::min(earlierRow, lineCount())));
      showCurrentRow();
    }
  }
  placeOnWorkArea();
  FormResize();
  grdView2->setFocus();
}

void TfrmView2::placeOnWorkArea() {
  QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  // The frame's own size (title bar) is only known once shown; before that it counts as none.
  const int frameExtra = isVisible() ? frameGeometry().height() - height() : 0;
  const int frameWidth = isVisible() ? frameGeometry().width() - width() : 0;
  // The designed width where the screen holds it, wholly on the screen where it does not.
  const int fittedWidth = std::min(width(), area.width() - frameWidth);
  int left = x();
  if (parentWidget()) left = parentWidget()->geometry().center().x() - fittedWidth / 2;
  left = std::clamp(left, area.left(), std::max(area.left(), area.right() + 1 - fittedWidth - frameWidth));
  move(left, area.top());
  resize(fittedWidth, area.height() - frameExtra);
}

void TfrmView2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  placeOnWorkArea();
  FormResize();
  showCurrentRow();
}

void TfrmView2::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TfrmView2::FormResize() {
  if (grdView2->columnWidth(0) < 30) grdView2->setColumnWidth(0, 40);
  varko::GridMeasures measures;
  measures.defaultRowHeight = grdView2->verticalHeader()->defaultSectionSize();
  measures.fontSize = grdView2->font().pointSize();
  measures.width = grdView2->width();
  measures.columnWidths = {grdView2->columnWidth(0), grdView2->columnWidth(1)};
  // Before the window is laid out the grid has no real width to fit the columns to.
  varko::xcGridFitColumns(measures, isVisible());
  grdView2->verticalHeader()->setDefaultSectionSize(measures.defaultRowHeight);
  if (measures.fontSize != grdView2->font().pointSize()) {
    QFont font = grdView2->font();
    font.setPointSize(measures.fontSize);
    grdView2->setFont(font);
  }
  for (int c = 0; c < 2; ++c)
    if (measures.columnWidths[static_cast<size_t>(c)] > 0)
      grdView2->setColumnWidth(c, measures.columnWidths[static_cast<size_t>(c)]);
}

bool TfrmView2::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grdView2 && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    const bool handled = key->key() == Qt::Key_Escape || key->key() == Qt::Key_F3 ||
                         (ctrl && (key->key() == Qt::Key_F || key->key() == Qt::Key_V));
    // Closing acts once, when the key goes down: the held Ctrl+V that opened the window, and its
    // release, do not close it again.
    if (event->type() == QEvent::KeyPress) grdView2KeyDown(key->key(), key->modifiers(), key->isAutoRepeat());
    if (handled) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmView2::setMatchRules(const varko::SpanRules& rules) {
  lineDelegate_->setMatchRules(rules);
  grdView2->viewport()->update();
}

std::vector<varko::MatchSpan> TfrmView2::markedSpans(int line) const {
  return lineDelegate_->spansFor(model_->index(model_->modelRow(line), 1));
}

void TfrmView2::grdView2KeyDown(int key, Qt::KeyboardModifiers modifiers, bool repeated) {
  bool moved = false;
  const bool ctrl = modifiers & Qt::ControlModifier;
  if (key == Qt::Key_F && ctrl && !repeated)
    moved = varko::xcGridSearch(grid_, currentColumn_, findText_, findPrompt);
  if (key == Qt::Key_F3 && !(modifiers & Qt::ShiftModifier))
    moved = varko::xcGridSearchNext(grid_, currentColumn_, findText_);
  if (key == Qt::Key_F3 && (modifiers & Qt::ShiftModifier))
    moved = varko::xcGridSearchPrev(grid_, currentColumn_, findText_);
  if (moved) showCurrentRow();
  if (!repeated && (key == Qt::Key_Escape || (key == Qt::Key_V && ctrl))) close();
}

void TfrmView2::showCurrentRow() {
  syncing_ = true;
  const int row = model_->modelRow(grid_.currentRow());
  if (row < 0 || row >= model_->rowCount()) {
    // The blank header row: no line is selected.
    grdView2->selectionModel()->clear();
  } else {
    const QModelIndex index = model_->index(row, currentColumn_);
    grdView2->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grdView2->scrollTo(index, QAbstractItemView::PositionAtCenter);
  }
  syncing_ = false;
}

void TfrmView2::takeCurrentFromView() {
  if (syncing_) return;
  const QModelIndex index = grdView2->currentIndex();
  if (!index.isValid()) return;
  grid_.setCurrentRow(model_->gridRow(index.row()));
  currentColumn_ = index.column();
}

void TfrmView2::done(int result) {
  // The lines belong to the window only while it shows; a large file's memory goes back now.
  keptRow_ = grid_.currentRow();
  grid_.setRowCount(0);
  grid_.setCurrentRow(0);
  currentColumn_ = 0;
  model_->reload();
  QDialog::done(result);
}
