#include "TfrmVarkoHistory.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include "Launcher.h"
#include "lib/DateTime.h"
#include "lib/Library.h"
#include "results/EditFileCommand.h"
#include "setup/StringSets.h"
#include "QtText.h"
#include "QtColour.h"
#include "SizedTabWidget.h"

namespace {
using varko::gui::setTextColour;
using varko::gui::toQString;
}  // namespace

TfrmVarkoHistory::TfrmVarkoHistory(QWidget* parent) : QDialog(parent) {
  setObjectName("frmVarkoHistory");
  setWindowTitle("Search History and Multiple Searches");
  varko::gui::setDesignedLook(this, varko::kWhite);
  resize(468, 443);

  PageControl1 = new SizedTabWidget(QSize(132, 30), true, this);
  PageControl1->setObjectName("PageControl1");

  // Search History page.
  auto* historyPage = new QWidget;
  lstbxHistory = new QListWidget(historyPage);
  lstbxHistory->setObjectName("lstbxHistory");
  lstbxHistory->setAccessibleName("Search History");
  lstbxHistory->setFont(QFont("Verdana", 9));
  setTextColour(lstbxHistory, varko::kNavy);
  btnOK = new QPushButton("OK", historyPage);
  btnCancel = new QPushButton("Cancel", historyPage);
  btnOK->setObjectName("btnOK");
  btnCancel->setObjectName("btnCancel");
  btnOK->setDefault(true);
  auto* historyButtons = new QHBoxLayout;
  historyButtons->addStretch();
  historyButtons->addWidget(btnOK);
  historyButtons->addWidget(btnCancel);
  auto* historyLayout = new QVBoxLayout(historyPage);
  historyLayout->addWidget(lstbxHistory);
  historyLayout->addLayout(historyButtons);

  // Multiple Searches page.
  auto* multiPage = new QWidget;
  Label1 = new QLabel("Multiple searches still experimental", multiPage);
  QFont bold = Label1->font();
  bold.setBold(true);
  Label1->setFont(bold);
  setTextColour(Label1, varko::kMaroon);
  grdMultipleFind = new QTableWidget(1, 1, multiPage);
  grdMultipleFind->setObjectName("grdMultipleFind");
  grdMultipleFind->setAccessibleName("Find strings");
  grdMultipleFind->horizontalHeader()->hide();
  grdMultipleFind->verticalHeader()->hide();
  grdMultipleFind->setColumnWidth(0, 316);
  grdMultipleFind->verticalHeader()->setDefaultSectionSize(20);
  grdMultipleFind->setEditTriggers(QAbstractItemView::AllEditTriggers);
  setTextColour(grdMultipleFind, varko::kNavy);
  Label12 = new QLabel("Number lines", multiPage);
  edtNumStrings = new QLineEdit("1", multiPage);
  edtNumStrings->setObjectName("edtNumStrings");
  edtNumStrings->setMaximumWidth(60);
  Label12->setBuddy(edtNumStrings);
  btnUseMulti = new QPushButton("Use for Searches", multiPage);
  btnCancelMulti = new QPushButton("   Cancel", multiPage);
  btnEditFindSet = new QPushButton("Edit Find Set in file", multiPage);
  btnLoadFindSet = new QPushButton("Load Find Set from file", multiPage);
  btnUseMulti->setObjectName("btnUseMulti");
  btnCancelMulti->setObjectName("btnCancelMulti");
  btnEditFindSet->setObjectName("btnEditFindSet");
  btnLoadFindSet->setObjectName("btnLoadFindSet");
  // The screen reader should not read the leading blanks of the caption.
  btnCancelMulti->setAccessibleName("Cancel");
  for (QPushButton* b : {btnUseMulti, btnCancelMulti, btnEditFindSet, btnLoadFindSet}) b->setAutoDefault(false);

  auto* multiLayout = new QGridLayout(multiPage);
  multiLayout->addWidget(Label1, 0, 0, 1, 2);
  multiLayout->addWidget(grdMultipleFind, 1, 0, 6, 1);
  auto* numberRow = new QHBoxLayout;
  numberRow->addWidget(Label12);
  numberRow->addWidget(edtNumStrings);
  numberRow->addStretch();
  multiLayout->addLayout(numberRow, 1, 1);
  multiLayout->addWidget(btnUseMulti, 2, 1);
  multiLayout->addWidget(btnCancelMulti, 3, 1);
  multiLayout->addWidget(btnLoadFindSet, 4, 1);
  multiLayout->addWidget(btnEditFindSet, 5, 1);
  multiLayout->setRowStretch(6, 1);
  multiLayout->setColumnStretch(0, 1);

  PageControl1->addTab(historyPage, "Search History");
  PageControl1->addTab(multiPage, "Multiple Searches");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl1);

  connect(lstbxHistory, &QListWidget::itemDoubleClicked, this, [this] { UseHistoryEntry(); });
  connect(btnOK, &QPushButton::clicked, this, [this] { UseHistoryEntry(); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnCancelMulti, &QPushButton::clicked, this, &QDialog::reject);
  connect(edtNumStrings, &QLineEdit::editingFinished, this, [this] { edtNumStringsExit(); });
  connect(btnUseMulti, &QPushButton::clicked, this, [this] { btnUseMultiClick(); });
  connect(btnLoadFindSet, &QPushButton::clicked, this, [this] { btnLoadFindSetClick(); });
  connect(btnEditFindSet, &QPushButton::clicked, this, [this] { btnEditFindSetClick(); });

  chooseFile = [this](const QString& startFolder) {
    return QFileDialog::getOpenFileName(this, QString(), startFolder);
  };
  showMessage = [this](const QString& text) { QMessageBox::information(this, QString(), text); };
  editFile = [this](const varko::Text& fileName) {
    const varko::EditFilesCommand command = varko::xcEditFileCommand(fileName);
    varko::Text error;
    if (!Launcher::launch(command.launch, error)) showMessage(toQString(command.FailureText(error)));
  };
}

void TfrmVarkoHistory::setUp(const HistoryInput& input) {
  history_ = input.history;
  stringMode_ = input.stringMode;
  firstAdvancedFolder_ = input.firstAdvancedFolder;
  choice_ = HistoryChoice();
  choice_.strings = input.strings;
  choice_.stringSetFileName = input.stringSetFileName;
  choice_.multipleSearchText = input.multipleSearchText;
}

HistoryChoice TfrmVarkoHistory::showHistory(const HistoryInput& input) {
  setUp(input);
  if (parentWidget()) {
    const QPoint centre = parentWidget()->geometry().center();
    move(centre.x() - width() / 2, centre.y() - height() / 2);
  }
  exec();
  return choice_;
}

void TfrmVarkoHistory::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TfrmVarkoHistory::FormShow() {
  const bool advanced = stringMode_ == varko::kAdvancedMode;
  PageControl1->setTabVisible(1, advanced);
  // Advanced strings open the window for its multiple searches; simple ones for the history.
  PageControl1->setCurrentIndex(advanced ? 1 : 0);
  if (!history_.empty()) {
    lstbxHistory->clear();
    for (auto it = history_.rbegin(); it != history_.rend(); ++it) lstbxHistory->addItem(toQString(*it));
    lstbxHistory->scrollToTop();
    lstbxHistory->setCurrentRow(0);
  }
  if (advanced && choice_.strings.count > 0) showStringTable();
  if (advanced)
    grdMultipleFind->setFocus();
  else
    lstbxHistory->setFocus();
}

void TfrmVarkoHistory::UseHistoryEntry() {
  if (lstbxHistory->count() > 0) {
    QListWidgetItem* item = lstbxHistory->currentItem();
    if (!item) item = lstbxHistory->item(0);
    choice_.entryChosen = true;
    choice_.entry = item->text();
  }
  accept();
}

void TfrmVarkoHistory::setGridRows(int rows) {
  grdMultipleFind->setRowCount(rows < 1 ? 1 : rows);
}

void TfrmVarkoHistory::edtNumStringsExit() {
  int32_t rows = 1;
  if (!varko::xcTryStrToInt(edtNumStrings->text().toStdU16String(), rows)) rows = 1;
  if (rows > varko::kMaxStrings) {
    // One search takes at most 200 strings; more rows could never be used.
    showMessage(QString("At most %1 find strings can be used for one search").arg(varko::kMaxStrings));
    rows = varko::kMaxStrings;
    edtNumStrings->setText(QString::number(rows));
  }
  setGridRows(rows);
}

void TfrmVarkoHistory::showStringTable() {
  varko::StringGridRows rows;
  varko::xcShowStringSet(varko::kFindStringsOnly, choice_.strings, rows);
  setGridRows(static_cast<int>(rows.size()));
  for (int r = 0; r < grdMultipleFind->rowCount(); ++r) {
    const QString text = r < static_cast<int>(rows.size()) ? toQString(rows[static_cast<size_t>(r)][0]) : QString();
    grdMultipleFind->setItem(r, 0, new QTableWidgetItem(text));
  }
}

void TfrmVarkoHistory::btnUseMultiClick() {
  grdMultipleFind->setCurrentItem(nullptr);  // commits a cell still being edited
  varko::TextList cells;
  for (int r = 0; r < grdMultipleFind->rowCount(); ++r) {
    QTableWidgetItem* item = grdMultipleFind->item(r, 0);
    cells.push_back(item ? item->text().toStdU16String() : varko::Text());
  }
  const varko::MultipleFindTake take = varko::TakeMultipleFind(cells, choice_.strings);
  if (!take.taken) {
    showMessage(toQString(take.refusal));
    return;
  }
  choice_.multipleSearchText = take.multipleSearchText;
  choice_.multipleFindTaken = true;
  accept();
}

void TfrmVarkoHistory::ShowFindSetHelp() {
  showMessage(
      "You can load strings for Search from a file\r\n"
      "First column has Find strings (cannot be blank)\r\n\r\n"
      "Other columns are ignored here\r\n"
      "(second column only used for Find/Replace)\r\n\r\n"
      "Columns in a line are separated by Tab character\r\n"
      "(strings cannot have Tab in them)");
}

void TfrmVarkoHistory::btnLoadFindSetClick() {
  ShowFindSetHelp();
  const QString file = chooseFile(QString());
  if (!file.isEmpty()) {
    const varko::Text name = file.toStdU16String();
    choice_.stringSetFileName = name;
    const varko::StringSetLoad load = varko::xcLoadStringSet(varko::kFindStringsOnly, name, choice_.strings);
    if (!load.errorText.empty()) {
      showMessage(toQString(load.errorText));
    } else if (load.loaded) {
      showStringTable();
      if (load.ignoredLines > 0)
        showMessage(QString("Only the first %1 find strings were loaded; %2 more lines were ignored")
                        .arg(varko::kMaxStrings)
                        .arg(load.ignoredLines));
    }
  }
  edtNumStrings->setText(QString::number(choice_.strings.count));
}

void TfrmVarkoHistory::btnEditFindSetClick() {
  ShowFindSetHelp();
  const varko::Text start = varko::xcIsBlank(firstAdvancedFolder_) ? varko::xcExeFolder() : firstAdvancedFolder_;
  const QString file = chooseFile(toQString(start));
  if (file.isEmpty()) return;
  choice_.stringSetFileName = file.toStdU16String();
  editFile(file.toStdU16String());
}
