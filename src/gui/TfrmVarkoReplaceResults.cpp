#include "TfrmVarkoReplaceResults.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "QtColour.h"
#include "QtText.h"
#include "StringGridModel.h"

using namespace varko;
using namespace varko::gui;

namespace {
constexpr int kRowHeight = 16;
}  // namespace

TfrmVarkoReplaceResults::TfrmVarkoReplaceResults(QWidget* parent) : QDialog(parent) {
  setObjectName("frmVarkoReplaceResults");
  setWindowTitle("Varko Replace Results");
  setFont(QFont("Verdana", 8));
  setDesignedLook(this, kWhite);

  Label1 = new QLabel("Changes for file", this);
  lblFilename = new QLabel(this);
  lblFilename->setObjectName("lblFilename");
  lblFilename->setTextFormat(Qt::PlainText);
  lblFilename->setTextInteractionFlags(Qt::TextSelectableByMouse);
  setTextColour(lblFilename, kNavy);

  logModel_ = new StringGridModel(log_, toQColor(kNavy), this);
  grdReplaceLog = new QTableView(this);
  grdReplaceLog->setObjectName("grdReplaceLog");
  grdReplaceLog->setAccessibleName("Changes for file");
  grdReplaceLog->setModel(logModel_);
  grdReplaceLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdReplaceLog->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdReplaceLog->setSelectionMode(QAbstractItemView::SingleSelection);
  grdReplaceLog->setWordWrap(false);
  grdReplaceLog->verticalHeader()->hide();
  grdReplaceLog->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grdReplaceLog->verticalHeader()->setMinimumSectionSize(kRowHeight);
  grdReplaceLog->verticalHeader()->setDefaultSectionSize(kRowHeight);
  // The empty heading row of the grid.
  grdReplaceLog->horizontalHeader()->setFixedHeight(kRowHeight);
  grdReplaceLog->horizontalHeader()->setStretchLastSection(false);
  grdReplaceLog->setColumnWidth(0, 64);
  grdReplaceLog->setColumnWidth(1, 987);

  btnShowDiff = new QPushButton("Show Differences", this);
  btnSaveFile = new QPushButton("Save this File", this);
  btnDoNotSaveFile = new QPushButton("Do not save this file", this);
  btnAbort = new QPushButton("Abort Find/Replace", this);
  btnShowDiff->setObjectName("btnShowDiff");
  btnSaveFile->setObjectName("btnSaveFile");
  btnDoNotSaveFile->setObjectName("btnDoNotSaveFile");
  btnAbort->setObjectName("btnAbort");
  for (QPushButton* b : {btnShowDiff, btnSaveFile, btnDoNotSaveFile, btnAbort}) {
    b->setAutoDefault(false);
    b->setMinimumHeight(30);
  }

  auto* heading = new QHBoxLayout;
  heading->addWidget(Label1);
  heading->addWidget(lblFilename, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnShowDiff);
  buttons->addWidget(btnSaveFile);
  buttons->addWidget(btnDoNotSaveFile);
  buttons->addStretch();
  buttons->addWidget(btnAbort);
  auto* all = new QVBoxLayout(this);
  all->addLayout(heading);
  all->addWidget(grdReplaceLog, 1);
  all->addLayout(buttons);
  resize(827, 489);

  connect(btnShowDiff, &QPushButton::clicked, this, [this] { btnShowDiffClick(); });
  connect(btnSaveFile, &QPushButton::clicked, this, [this] { decide(FileDecision::Save); });
  connect(btnDoNotSaveFile, &QPushButton::clicked, this, [this] { decide(FileDecision::DoNotSave); });
  connect(btnAbort, &QPushButton::clicked, this, [this] { decide(FileDecision::Abort); });
}

TfrmVarkoReplaceResults::~TfrmVarkoReplaceResults() = default;

void TfrmVarkoReplaceResults::setChanges(const FileChanges& changes, bool newFile) {
  changes_ = &changes;
  if (!newFile) return;
  differencesShownHere_ = false;
  lblFilename->setText(toQString(changes.path));
  // The heading row and an empty row 1, then the rows the replacement wrote.
  const std::vector<ReplaceLogRow> logRows = replaceLogRows(changes);
  log_.setRowCount(0);
  log_.setRowCount(2 + static_cast<int>(logRows.size()));
  int row = 2;
  for (const ReplaceLogRow& logRow : logRows) {
    log_.setCell(0, row, logRow[0]);
    log_.setCell(1, row, logRow[1]);
    ++row;
  }
  logModel_->reload();
  grdReplaceLog->setCurrentIndex(QModelIndex());
  grdReplaceLog->scrollToTop();
}

FileDecision TfrmVarkoReplaceResults::execDecision() {
  decision_ = FileDecision::Close;
  if (parentWidget()) {
    const QPoint centre = parentWidget()->window()->geometry().center();
    move(centre.x() - width() / 2, centre.y() - height() / 2);
  }
  exec();
  return decision_;
}

void TfrmVarkoReplaceResults::decide(FileDecision decision) {
  decision_ = decision;
  accept();
}

void TfrmVarkoReplaceResults::reject() {
  decision_ = FileDecision::Close;
  QDialog::reject();
}

void TfrmVarkoReplaceResults::btnShowDiffClick() {
  if (inProgramDifferences_)
    showDifferencesHere();
  else
    decide(FileDecision::ShowDifferences);
}

void TfrmVarkoReplaceResults::showDifferencesHere() {
  if (!changes_) return;
  Text diff = unifiedDiff(*changes_);
  if (diff.empty()) diff = u"The new lines are the same as the old ones.";
  QDialog view(this);
  view.setObjectName("frmDifferences");
  view.setWindowTitle("Differences - " + QFileInfo(toQString(changes_->path)).fileName());
  auto* text = new QPlainTextEdit(toQString(diff), &view);
  text->setObjectName("memoDifferences");
  text->setAccessibleName("Differences");
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* close = new QPushButton("Close", &view);
  close->setObjectName("btnClose");
  connect(close, &QPushButton::clicked, &view, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(close);
  auto* layout = new QVBoxLayout(&view);
  layout->addWidget(text, 1);
  layout->addLayout(row);
  view.resize(900, 560);
  view.exec();
  // Seen in the program counts as shown: saving does not ask about differences.
  differencesShownHere_ = true;
}
