// The options window's controls and their places; the behaviour is in TfrmVarkoReplace.cpp.
#include "TfrmVarkoReplace.h"

#include <algorithm>
#include <array>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "Launcher.h"
#include "ListWindowParts.h"
#include "ScreenFit.h"
#include "lib/DateTime.h"
#include "lib/Library.h"
#include "save/UndoManifest.h"
#include "results/EditFileCommand.h"
#include "setup/StringSets.h"

using namespace varko;
using namespace varko::gui;

namespace {

// The labels of the cream notice.
QLabel* colouredLabel(const QString& text, Rgb colour, bool bold, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  setTextColour(label, colour, kCream);
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  label->setWordWrap(true);
  return label;
}

QCheckBox* checkBox(const char* name, const QString& caption, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  // Captions indented with blanks are read without them.
  if (caption.startsWith(' ')) box->setAccessibleName(caption.trimmed());
  return box;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  // Enter in the grid's cells must not press a button.
  b->setAutoDefault(false);
  return b;
}

// Hidden controls keep their room, so the window does not jump when replace is switched.
void keepRoomWhenHidden(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

}  // namespace

void TfrmVarkoReplace::buildWindow() {
  setObjectName("frmVarkoReplace");
  setWindowTitle("Varko Search/Replace Options");
  setFont(QFont("Verdana", 8));
  setDesignedLook(this, kWhite);
  fitToScreenWhenShown(this);

  Shape1 = new QFrame(this);
  Shape1->setObjectName("Shape1");
  Shape1->setFrameShape(QFrame::Box);
  Shape1->setAutoFillBackground(true);
  QPalette cream = Shape1->palette();
  cream.setColor(QPalette::Window, toQColor(kCream));
  Shape1->setPalette(cream);
  Label1 = colouredLabel("Use with care!  You really had better know what you are doing", kBlack, false, Shape1);
  Label14 = colouredLabel(
      "NOTE - You should have Set up a difference Viewer such as WinMerge before  using Replace - see "
      "Settings on main screen",
      kMaroon, true, Shape1);
  Label2 = colouredLabel("Varko will keep backups - but I will take care and responsibility for the changes", kBlack,
                         false, Shape1);
  Label3 = colouredLabel(
      "The Replace Mode will be turned on once after clicking the \"Replace\" button and will turn off when search "
      "finishes or you click \"cancel\":",
      kMaroon, true, Shape1);
  Button1 = button("Button1", "(more info and disclaimer)", Shape1);
  auto* shapeLayout = new QGridLayout(Shape1);
  shapeLayout->addWidget(Label1, 0, 0);
  shapeLayout->addWidget(Label14, 1, 0);
  shapeLayout->addWidget(Label2, 2, 0);
  shapeLayout->addWidget(Label3, 3, 0);
  shapeLayout->addWidget(Button1, 2, 1, Qt::AlignRight | Qt::AlignVCenter);
  shapeLayout->setColumnStretch(0, 1);

  cbxDoReplace = checkBox("cbxDoReplace", "Turn on replace text", this);
  QFont bold = cbxDoReplace->font();
  bold.setBold(true);
  cbxDoReplace->setFont(bold);

  Label9 = new QLabel("Original string", this);
  Label10 = new QLabel("Replace with", this);
  grdReplace = new QTableWidget(1, 2, this);
  grdReplace->setObjectName("grdReplace");
  grdReplace->setAccessibleName("Find and replace strings");
  grdReplace->horizontalHeader()->hide();
  grdReplace->verticalHeader()->hide();
  grdReplace->setColumnWidth(0, 348);
  grdReplace->setColumnWidth(1, 348);
  grdReplace->setFixedWidth(348 * 2 + 2 * grdReplace->frameWidth() + grdReplace->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  grdReplace->verticalHeader()->setDefaultSectionSize(20);
  grdReplace->setEditTriggers(QAbstractItemView::AllEditTriggers);
  grdReplace->setSelectionMode(QAbstractItemView::SingleSelection);
  setTextColour(grdReplace, kGreen);
  // Any change of the grid counts, however it came (typed, pasted, dropped, rows removed): the
  // run must use the pairs on screen.
  QAbstractItemModel* gridModel = grdReplace->model();
  auto edited = [this] {
    if (!filling_) gridEdited_ = true;
  };
  connect(gridModel, &QAbstractItemModel::dataChanged, this, edited);
  connect(gridModel, &QAbstractItemModel::rowsInserted, this, edited);
  connect(gridModel, &QAbstractItemModel::rowsRemoved, this, edited);

  Label12 = new QLabel("Number lines", this);
  edtNumStrings = new QLineEdit("1", this);
  edtNumStrings->setObjectName("edtNumStrings");
  edtNumStrings->setMaximumWidth(60);
  Label12->setBuddy(edtNumStrings);
  btnEditFindReplaceSet = button("btnEditFindReplaceSet", "Edit Find/Replace Set in file", this);
  btnLoadFindReplaceSet = button("btnLoadFindReplaceSet", "Load Find/Replace Set from file", this);
  Label13 = greyLabel("Click or use arrow keys to move to next cell - or load your set of strings from a file ", this);
  Label13->setWordWrap(true);
  lblFindStrAmx = greyLabel("...", this);
  lblFindStrAmx->setObjectName("lblFindStrAmx");

  cbxQueryFile = checkBox("cbxQueryFile", "Confirm each file", this);
  cbxQueryFile->setChecked(true);
  Label7 = greyLabel("(required - note at present if turned off file will not be saved)", this);
  cbxQueryLine = checkBox("cbxQueryLine", "Confirm each line", this);
  Label4 = greyLabel(
      "(if this is ticked and you answer \"Yes to all\" this will apply only to the current fie)", this);
  cbxPreserveSpaces = checkBox("cbxPreserveSpaces", "Preserve spaces", this);
  cbxPreserveSpaces->setChecked(true);
  Label11 = new QLabel(
      "(for files with fixed offsets or columns this attempts to preserve spacing in the lines where possible)", this);
  Label11->setWordWrap(true);
  Label5 = new QLabel("Misc Options", this);
  cbxShowLinesNoMatches = checkBox("cbxShowLinesNoMatches", "    Show Lines with No Matches Only", this);
  cbxShowFilesWithNoMatches = checkBox("cbxShowFilesWithNoMatches", "    Show Files With No Match", this);
  Label6 = greyLabel("Search/Replaces will be logged into Varko-SearchReplace.log in the start folder selected", this);
  Label8 = greyLabel(
      "(Note - Google type search and Replace option cannot be used together - Google Find is a Find option only",
      this);

  btnUndoLastReplace = button("btnUndoLastReplace", "Undo last replace", this);
  btnReplace = button("btnReplace", "Replace", this);
  btnCancel = button("btnCancel", "Cancel", this);
  for (QPushButton* b : {btnUndoLastReplace, btnReplace, btnCancel}) b->setMinimumSize(110, 30);
  for (QWidget* w : std::initializer_list<QWidget*>{cbxQueryFile, cbxQueryLine, cbxPreserveSpaces, Label11, Label7,
                                                    Label10})
    keepRoomWhenHidden(w);

  auto* setColumn = new QVBoxLayout;
  auto* numberRow = new QHBoxLayout;
  numberRow->addWidget(Label12);
  numberRow->addWidget(edtNumStrings);
  numberRow->addStretch();
  setColumn->addLayout(numberRow);
  setColumn->addWidget(btnEditFindReplaceSet);
  setColumn->addWidget(btnLoadFindReplaceSet);
  setColumn->addWidget(Label13);
  setColumn->addWidget(lblFindStrAmx);
  setColumn->addStretch();

  // The column labels stand over their columns.
  Label9->setFixedWidth(348 + grdReplace->frameWidth());
  auto* columnLabels = new QHBoxLayout;
  columnLabels->setSpacing(0);
  columnLabels->addWidget(Label9);
  columnLabels->addWidget(Label10, 1);
  auto* gridArea = new QGridLayout;
  gridArea->addLayout(columnLabels, 0, 0);
  gridArea->addWidget(grdReplace, 1, 0);
  gridArea->addLayout(setColumn, 1, 1);
  gridArea->setColumnStretch(1, 1);
  gridArea->setHorizontalSpacing(12);

  auto* options = new QGridLayout;
  options->addWidget(cbxQueryFile, 0, 0);
  options->addWidget(Label7, 0, 1);
  options->addWidget(cbxQueryLine, 1, 0);
  options->addWidget(Label4, 1, 1);
  options->addWidget(cbxPreserveSpaces, 2, 0);
  options->addWidget(Label11, 2, 1);
  options->addWidget(Label5, 3, 0);
  options->addWidget(cbxShowLinesNoMatches, 4, 0, 1, 2);
  options->addWidget(cbxShowFilesWithNoMatches, 5, 0, 1, 2);
  options->addWidget(Label6, 6, 0, 1, 2);
  options->addWidget(Label8, 7, 0, 1, 2);
  options->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnUndoLastReplace);
  buttons->addStretch();
  buttons->addWidget(btnReplace);
  buttons->addWidget(btnCancel);

  auto* all = new QVBoxLayout(this);
  all->addWidget(Shape1);
  all->addWidget(cbxDoReplace);
  all->addLayout(gridArea, 1);
  all->addLayout(options);
  all->addLayout(buttons);
  resize(1001, 707);
}
