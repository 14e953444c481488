#include "TfrmFWindow.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTableView>
#include <QVBoxLayout>
#include "LineGridView.h"
#include "MarkedLineDelegate.h"
#include "StringGridModel.h"
#include "QtColour.h"

namespace {
constexpr int kRowHeight = 16;
}  // namespace

TfrmFWindow::TfrmFWindow(QWidget* parent) : QDialog(parent, Qt::Tool) {
  setObjectName("frmFWindow");
  setWindowTitle("Window around found line");
  setModal(false);
  // The purple lines were chosen for a white grid, whatever the desktop's theme.
  varko::gui::setDesignedLook(this);
  resize(549, 152);

  grid_.setRowCount(varko::kFileWindowRows);
  model_ = new StringGridModel(grid_, varko::gui::toQColor(varko::kPurple), this);
  grdWindow = new LineGridView(this);
  grdWindow->setObjectName("grdWindow");
  grdWindow->setAccessibleName("Lines around found line");
  grdWindow->setModel(model_);
  lineDelegate_ = new MarkedLineDelegate(1, grdWindow);
  grdWindow->setItemDelegate(lineDelegate_);
  grdWindow->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdWindow->setSelectionMode(QAbstractItemView::SingleSelection);
  grdWindow->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdWindow->setWordWrap(false);
  grdWindow->verticalHeader()->hide();
  grdWindow->horizontalHeader()->hide();
  grdWindow->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grdWindow->verticalHeader()->setMinimumSectionSize(kRowHeight);
  grdWindow->verticalHeader()->setDefaultSectionSize(kRowHeight);
  grdWindow->setColumnWidth(0, 47);
  grdWindow->setColumnWidth(1, 635);
  // A long line is read whole by scrolling sideways: the line column is as wide as its longest line.
  grdWindow->horizontalHeader()->setStretchLastSection(false);
  grdWindow->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  grdWindow->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  grdWindow->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  QFont font("Verdana", 8);
  font.setBold(true);
  grdWindow->setFont(font);
  grdWindow->installEventFilter(this);
  connect(grdWindow->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) {
            if (index.isValid()) grid_.setCurrentRow(index.row());
          });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(grdWindow);
}

bool TfrmFWindow::ShowFileWindow(const QString& path, int centreLine) {
  const varko::Text error = lines_.Load(path.toStdU16String());
  if (!error.empty()) {
    QMessageBox::critical(parentWidget(), windowTitle(), QString::fromStdU16String(error));
    return false;
  }
  centreLine_ = centreLine;
  if (!showing_) {
    if (parentWidget()) {
      const QPoint centre = parentWidget()->geometry().center();
      move(centre.x() - width() / 2, centre.y() - height() / 2);
    }
    show();
  }
  showing_ = true;
  // Filled now as well as on activation: a tool window need not become the active window.
  FormActivate();
  return true;
}

void TfrmFWindow::HideFileWindow() {
  hide();
  showing_ = false;
}

void TfrmFWindow::ToggleFileWindow(const QString& path, int centreLine) {
  if (showing_)
    HideFileWindow();
  else
    ShowFileWindow(path, centreLine);
}

void TfrmFWindow::FormActivate() {
  const varko::FileWindowRows rows = varko::BuildFileWindowRows(lines_.lines(), centreLine_);
  for (int i = 0; i < varko::kFileWindowRows; ++i) {
    grid_.setCell(0, i, rows.numbers[static_cast<size_t>(i)]);
    grid_.setCell(1, i, rows.lines[static_cast<size_t>(i)]);
  }
  model_->reload();
  if (rows.currentRow >= 0) grid_.setCurrentRow(rows.currentRow);
  const QModelIndex current = model_->index(grid_.currentRow(), 0);
  grdWindow->selectionModel()->setCurrentIndex(current,
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  // Eleven rows and a little room (it holds the sideways scroll bar), whatever the row height.
  resize(width(), varko::kFileWindowRows * grdWindow->verticalHeader()->defaultSectionSize() + 22);
  grdWindow->setFocus();
}

bool TfrmFWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && showing_) FormActivate();
  return QDialog::event(event);
}

bool TfrmFWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grdWindow && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_W && (key->modifiers() & Qt::ControlModifier)) {
      // Acts once, when the key goes down: the held Ctrl+W that showed the window, and its
      // release, leave it showing.
      if (!key->isAutoRepeat()) {
        HideFileWindow();
        emit fileWindowHidden();
      }
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmFWindow::setMatchRules(const varko::SpanRules& rules) {
  lineDelegate_->setMatchRules(rules);
  grdWindow->viewport()->update();
}

std::vector<varko::MatchSpan> TfrmFWindow::markedSpans(int row) const {
  return lineDelegate_->spansFor(model_->index(row, 1));
}

void TfrmFWindow::done(int result) {
  // The close box and Esc end here.
  QDialog::done(result);
  showing_ = false;
  emit fileWindowHidden();
}
