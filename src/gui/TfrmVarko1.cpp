#include "TfrmVarko1.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "Launcher.h"
#include "FoundItemDelegate.h"
#include "FoundTableModel.h"
#include "VarkoPictures.h"
#include "lib/Errors.h"
#include "lib/Library.h"
#include "results/EditFiles.h"
#include "results/FoundRowStyle.h"
#include "results/GridFind.h"

using namespace varko;

namespace {

QString toQString(const Text& text) { return QString::fromStdU16String(text); }
Text toText(const QString& text) { return text.toStdU16String(); }

const QColor kNavyColour(0x00, 0x00, 0x80);
const QColor kGreenColour(0x00, 0x80, 0x00);
const QColor kGreyColour(0x80, 0x80, 0x80);
const QColor kMaroonColour(0x80, 0x00, 0x00);

void setTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::Text, colour);
  widget->setPalette(palette);
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint = {}) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  if (!hint.isEmpty()) button->setToolTip(hint);
  button->setAutoDefault(false);
  return button;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked,
                        const QString& hint = {}) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(QLatin1String(name));
  box->setChecked(checked);
  if (!hint.isEmpty()) box->setToolTip(hint);
  return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

QLineEdit* makeSearchField(QWidget* parent, const char* name, const QString& accessibleName) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QLatin1String(name));
  QFont font(QStringLiteral("Verdana"), 11);
  font.setBold(true);
  field->setFont(font);
  setTextColour(field, kNavyColour);
  field->setAccessibleName(accessibleName);
  return field;
}

QToolButton* makeSwitch(QWidget* parent, const char* name, const QString& accessibleName) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setAutoRaise(true);
  button->setIconSize(QSize(44, 22));
  button->setIcon(QIcon(VarkoPictures::switchOff()));
  button->setAccessibleName(accessibleName);
  button->setCursor(Qt::PointingHandCursor);
  return button;
}

// Delphi's key press: a character, Backspace and Ctrl+letter, not navigation keys.
bool isCharacterKey(const QKeyEvent* event) {
  return !event->text().isEmpty() && event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab;
}

}  // namespace

TfrmVarko1::TfrmVarko1(const QString& settingsFile, QWidget* parent)
    : QMainWindow(parent),
      settingsFile_(settingsFile.isEmpty() ? SettingsFileName() : toText(settingsFile)),
      session_(*this) {
  setObjectName(QStringLiteral("frmVarko1"));
  buildWindow();
  FormCreate();
}

TfrmVarko1::~TfrmVarko1() = default;

// ---------------------------------------------------------------------------------------------
// Building the window.

void TfrmVarko1::buildWindow() {
  QFont windowFont(QStringLiteral("Verdana"), 8);
  setFont(windowFont);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::Base, Qt::white);
  setPalette(palette);
  setAutoFillBackground(true);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);

  PageControl1 = new QTabWidget(central);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { min-width: 112px; min-height: 22px; }"));
  TabSelect = buildSelectPage();
  TabMatches = new QWidget;
  TabMatches->setObjectName(QStringLiteral("TabMatches"));
  buildFoundGrid();
  auto* matchesLayout = new QVBoxLayout(TabMatches);
  matchesLayout->setContentsMargins(0, 0, 0, 0);
  matchesLayout->addWidget(grdFound);
  PageControl1->addTab(TabSelect, QStringLiteral("Select"));
  PageControl1->addTab(TabMatches, QStringLiteral("Matches"));

  btnResizeVertical = new QToolButton(PageControl1);
  btnResizeVertical->setObjectName(QStringLiteral("btnResizeVertical"));
  btnResizeVertical->setAutoRaise(true);
  btnResizeVertical->setIcon(VarkoPictures::expandVertical());
  btnResizeVertical->setToolTip(QStringLiteral("Expand vertically"));
  btnResizeVertical->setAccessibleName(QStringLiteral("Expand vertically"));
  PageControl1->setCornerWidget(btnResizeVertical, Qt::TopRightCorner);

  layout->addWidget(PageControl1, 1);
  layout->addWidget(buildBottomBar());
  setCentralWidget(central);

  resize(1105, 760);
  setMinimumWidth(1105);

  connect(PageControl1, &QTabWidget::currentChanged, this, &TfrmVarko1::PageControl1Change);
  connect(btnResizeVertical, &QToolButton::clicked, this, &TfrmVarko1::btnResizeVerticalClick);

  // Enter and Esc in fields and check boxes move on like Tab.
  for (QLineEdit* field : findChildren<QLineEdit*>()) field->installEventFilter(this);
  for (QCheckBox* box : findChildren<QCheckBox*>()) box->installEventFilter(this);
}

QWidget* TfrmVarko1::buildBottomBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName(QStringLiteral("pnlBottom"));
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);

  btnFontMinus = makeButton(bar, "btnFontMinus", QStringLiteral("-"));
  btnFontMinus->setAccessibleName(QStringLiteral("Results font smaller"));
  btnFontPlus = makeButton(bar, "btnFontPlus", QStringLiteral("+"));
  btnFontPlus->setAccessibleName(QStringLiteral("Results font larger"));
  for (QPushButton* b : {btnFontMinus, btnFontPlus}) b->setFixedWidth(28);
  lblFont = makeLabel(bar, "lblFont", QStringLiteral(".."));
  setTextColour(lblFont, kGreyColour);
  lblFont->setMinimumWidth(18);

  // Select, Search and Stop share one place; only one of them shows.
  auto* shared = new QWidget(bar);
  auto* sharedLayout = new QGridLayout(shared);
  sharedLayout->setContentsMargins(0, 0, 0, 0);
  btnSelect = makeButton(shared, "btnSelect", QStringLiteral("Select"), QStringLiteral("Select search options"));
  btnSelect->setIcon(VarkoPictures::select());
  btnGo = makeButton(shared, "btnGo", QStringLiteral("Search"));
  btnGo->setIcon(VarkoPictures::search());
  btnStop = makeButton(shared, "btnStop", QStringLiteral("Stop"));
  btnStop->setIcon(VarkoPictures::stop());
  for (QPushButton* b : {btnSelect, btnGo, btnStop}) {
    b->setMinimumSize(100, 30);
    sharedLayout->addWidget(b, 0, 0);
  }
  btnSelect->hide();
  btnStop->hide();

  lblProgress2 = makeLabel(bar, "lblProgress2", QStringLiteral("..."));
  QFont small(QStringLiteral("Verdana"), 7);
  lblProgress2->setFont(small);
  setTextColour(lblProgress2, kGreyColour);
  lblFile = makeLabel(bar, "lblFile", QStringLiteral("(Stopped)"));
  lblFile->setFont(QFont(QStringLiteral("Verdana"), 9));
  // Long status texts must not widen the window.
  for (QLabel* l : {lblProgress2, lblFile}) l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lblAdvancedVals = makeLabel(bar, "lblAdvancedVals", QStringLiteral("   "));
  setTextColour(lblAdvancedVals, kGreyColour);

  shapeReplaceOn = new QFrame(bar);
  shapeReplaceOn->setObjectName(QStringLiteral("shapeReplaceOn"));
  shapeReplaceOn->setFrameShape(QFrame::Box);
  shapeReplaceOn->setAutoFillBackground(true);
  QPalette cream = shapeReplaceOn->palette();
  cream.setColor(QPalette::Window, QColor(0xFF, 0xFB, 0xF0));
  shapeReplaceOn->setPalette(cream);
  auto* replaceLayout = new QHBoxLayout(shapeReplaceOn);
  replaceLayout->setContentsMargins(6, 2, 6, 2);
  lblReplaceOn = makeLabel(shapeReplaceOn, "lblReplaceOn", QStringLiteral("Replace On"));
  QFont bold = lblReplaceOn->font();
  bold.setBold(true);
  lblReplaceOn->setFont(bold);
  setTextColour(lblReplaceOn, kMaroonColour);
  replaceLayout->addWidget(lblReplaceOn);
  shapeReplaceOn->hide();

  btnView = makeButton(bar, "btnView", QStringLiteral("View"), QStringLiteral("View Current File"));
  btnPrint = makeButton(bar, "btnPrint", QStringLiteral("Text/Print"), QStringLiteral("Print to Notepad etc"));
  for (QPushButton* b : {btnView, btnPrint}) b->setMinimumHeight(30);

  layout->addWidget(btnFontMinus);
  layout->addWidget(btnFontPlus);
  layout->addWidget(lblFont);
  layout->addWidget(shared);
  layout->addWidget(lblProgress2, 2);
  layout->addWidget(lblFile, 5);
  layout->addWidget(lblAdvancedVals);
  layout->addWidget(shapeReplaceOn);
  layout->addWidget(btnView);
  layout->addWidget(btnPrint);

  connect(btnFontMinus, &QPushButton::clicked, this, &TfrmVarko1::btnFontMinusClick);
  connect(btnFontPlus, &QPushButton::clicked, this, &TfrmVarko1::btnFontPlusClick);
  connect(btnSelect, &QPushButton::clicked, this, &TfrmVarko1::btnSelectClick);
  connect(btnGo, &QPushButton::clicked, this, &TfrmVarko1::btnGoClick);
  connect(btnStop, &QPushButton::clicked, this, &TfrmVarko1::btnStopClick);
  connect(btnView, &QPushButton::clicked, this, [this] { runHook(hooks.viewFile); });
  connect(btnPrint, &QPushButton::clicked, this, [this] { runHook(hooks.printResults); });
  return bar;
}

QWidget* TfrmVarko1::buildSelectPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSelect"));
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(10, 8, 10, 8);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(8);

  Image1 = new QLabel(page);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setPixmap(VarkoPictures::logo());
  btnTips = makeButton(page, "btnTips", QStringLiteral("Viewing results tips"));
  btnAdvancedInfo = makeButton(page, "btnAdvancedInfo", QStringLiteral("Advanced options   "));
  auto* top = new QHBoxLayout;
  top->addWidget(Image1);
  top->addStretch(1);
  top->addWidget(btnTips);
  top->addWidget(btnAdvancedInfo);
  grid->addLayout(top, 0, 0, 1, 6);

  // Folder row.
  Label1 = makeLabel(page, "Label1", QStringLiteral("Folder"));
  edtFolder = makeSearchField(page, "edtFolder", QStringLiteral("Folder"));
  Label1->setBuddy(edtFolder);
  btnCurrent = makeButton(page, "btnCurrent", QStringLiteral("Current"), QStringLiteral("Current folder"));
  btnBrowse = makeButton(page, "btnBrowse", QStringLiteral("Browse"));
  lblFolderCount = makeLabel(page, "lblFolderCount", QStringLiteral("...."));
  cbxAdvancedFolders = makeCheckBox(page, "cbxAdvancedFolders", QStringLiteral("Advanced Folders"), false);
  ImageFolder = makeSwitch(page, "ImageFolder", QStringLiteral("Advanced Folders"));
  lblpAdvancedFolder = makeLabel(page, "lblpAdvancedFolder", QStringLiteral("Advanced Folders"));

  // Filespec row.
  Label2 = makeLabel(page, "Label2", QStringLiteral("FileSpec"));
  edtFileSpec = makeSearchField(page, "edtFileSpec", QStringLiteral("FileSpec"));
  edtFileSpec->setText(QStringLiteral("Edit1"));
  Label2->setBuddy(edtFileSpec);
  lblFilespecCount = makeLabel(page, "lblFilespecCount", QStringLiteral("...."));
  cbxAdvancedFileSpec = makeCheckBox(page, "cbxAdvancedFileSpec", QStringLiteral("Advanced FileSpec"), false);
  ImageFilespec = makeSwitch(page, "ImageFilespec", QStringLiteral("Advanced Filespec"));
  lblpAdvancedFilespec = makeLabel(page, "lblpAdvancedFilespec", QStringLiteral("Advanced Filespec"));
  cbxSubFolders = makeCheckBox(page, "cbxSubFolders", QStringLiteral("Search Subfolders"), false);

  // String row.
  Label3 = makeLabel(page, "Label3", QStringLiteral("String"));
  edtString = makeSearchField(page, "edtString", QStringLiteral("String"));
  Label3->setBuddy(edtString);
  btnHistory = new QToolButton(page);
  btnHistory->setObjectName(QStringLiteral("btnHistory"));
  btnHistory->setIcon(VarkoPictures::history());
  btnHistory->setIconSize(QSize(20, 20));
  btnHistory->setToolTip(QStringLiteral("Search history"));
  btnHistory->setAccessibleName(QStringLiteral("Search history"));
  lblStringsCount = makeLabel(page, "lblStringsCount", QStringLiteral("...."));
  cbxAdvancedStrings = makeCheckBox(page, "cbxAdvancedStrings", QStringLiteral("Advanced Strings"), false);
  ImageString = makeSwitch(page, "ImageString", QStringLiteral("Advanced Strings"));
  lblpAdvancedString = makeLabel(page, "lblpAdvancedString", QStringLiteral("Advanced Strings"));

  for (QLabel* l : {lblFolderCount, lblFilespecCount, lblStringsCount}) {
    setTextColour(l, kGreenColour);
    l->setMinimumWidth(90);
  }
  for (QLabel* l : {lblpAdvancedFolder, lblpAdvancedFilespec, lblpAdvancedString}) setTextColour(l, kGreyColour);
  for (QLabel* l : {Label1, Label2, Label3}) {
    QFont f = l->font();
    f.setPointSize(10);
    l->setFont(f);
  }

  auto switchCell = [](QToolButton* picture, QLabel* label, QCheckBox* box) {
    auto* cell = new QHBoxLayout;
    cell->setSpacing(4);
    cell->addWidget(picture);
    cell->addWidget(label);
    cell->addWidget(box);
    cell->addStretch(1);
    return cell;
  };

  grid->addWidget(Label1, 1, 0);
  grid->addWidget(edtFolder, 1, 1);
  grid->addWidget(btnCurrent, 1, 2);
  grid->addWidget(btnBrowse, 1, 3);
  grid->addWidget(lblFolderCount, 1, 4);
  grid->addLayout(switchCell(ImageFolder, lblpAdvancedFolder, cbxAdvancedFolders), 1, 5);

  grid->addWidget(Label2, 2, 0);
  grid->addWidget(edtFileSpec, 2, 1);
  grid->addWidget(cbxSubFolders, 2, 2, 1, 2);
  grid->addWidget(lblFilespecCount, 2, 4);
  grid->addLayout(switchCell(ImageFilespec, lblpAdvancedFilespec, cbxAdvancedFileSpec), 2, 5);

  grid->addWidget(Label3, 3, 0);
  grid->addWidget(edtString, 3, 1);
  grid->addWidget(btnHistory, 3, 2, Qt::AlignLeft);
  grid->addWidget(lblStringsCount, 3, 4);
  grid->addLayout(switchCell(ImageString, lblpAdvancedString, cbxAdvancedStrings), 3, 5);
  grid->setColumnStretch(1, 1);
  grid->setColumnMinimumWidth(5, 190);

  ImageSwitchOff = new QLabel(page);
  ImageSwitchOff->setObjectName(QStringLiteral("ImageSwitchOff"));
  ImageSwitchOff->setPixmap(VarkoPictures::switchOff());
  ImageSwitchOff->hide();
  ImageSwitchOn = new QLabel(page);
  ImageSwitchOn->setObjectName(QStringLiteral("ImageSwitchOn"));
  ImageSwitchOn->setPixmap(VarkoPictures::switchOn());
  ImageSwitchOn->hide();

  PageControl2 = new QTabWidget(page);
  PageControl2->setObjectName(QStringLiteral("PageControl2"));
  PageControl2->setStyleSheet(QStringLiteral("QTabBar::tab { min-width: 150px; min-height: 18px; }"));
  PageControl2->addTab(buildMainOptions(), QStringLiteral("Main options"));
  PageControl2->addTab(buildDateOptions(), QStringLiteral("Date options"));
  PageControl2->addTab(buildViewOptions(), QStringLiteral("View etc options"));
  PageControl2->addTab(buildExtraOptions(), QStringLiteral("Extra options"));
  grid->addWidget(PageControl2, 4, 0, 1, 6);
  grid->setRowStretch(4, 1);

  btnSetupOptions = makeButton(page, "btnSetupOptions", QStringLiteral("Settings"));
  btnSetupOptions->setIcon(VarkoPictures::settings());
  btnReplace = makeButton(page, "btnReplace", QStringLiteral("Replace"));
  btnReplace->setIcon(VarkoPictures::replace());
  btnReplace->setEnabled(false);
  for (QPushButton* b : {btnSetupOptions, btnReplace}) b->setMinimumSize(110, 30);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(btnSetupOptions);
  bottom->addWidget(btnReplace);
  bottom->addStretch(1);
  grid->addLayout(bottom, 5, 0, 1, 6);

  connect(btnTips, &QPushButton::clicked, this, [this] {
    if (hooks.showTips) hooks.showTips(0);
  });
  connect(btnAdvancedInfo, &QPushButton::clicked, this, [this] {
    if (hooks.showTips) hooks.showTips(1);
  });
  connect(btnCurrent, &QPushButton::clicked, this, &TfrmVarko1::btnCurrentClick);
  connect(btnBrowse, &QPushButton::clicked, this, &TfrmVarko1::btnBrowseClick);
  connect(btnHistory, &QToolButton::clicked, this, [this] { runHook(hooks.showHistory); });
  connect(btnSetupOptions, &QPushButton::clicked, this, &TfrmVarko1::btnSetupOptionsClick);
  connect(btnReplace, &QPushButton::clicked, this, [this] { runHook(hooks.showReplaceOptions); });
  connect(PageControl2, &QTabWidget::currentChanged, this, &TfrmVarko1::PageControl2Change);

  // The check box's own tick is not consulted: a click toggles the mode, then the box follows it.
  auto checkBoxSwitch = [this](QCheckBox* box, void (TfrmVarko1::*toggle)()) {
    connect(box, &QCheckBox::clicked, this, [this, toggle] {
      if (!startingUp_) (this->*toggle)();
      SetAdvancedColours();
    });
  };
  checkBoxSwitch(cbxAdvancedFolders, &TfrmVarko1::ToggleFolderMode);
  checkBoxSwitch(cbxAdvancedFileSpec, &TfrmVarko1::ToggleFilespecMode);
  checkBoxSwitch(cbxAdvancedStrings, &TfrmVarko1::ToggleStringMode);
  connect(ImageFolder, &QToolButton::clicked, this, [this] { if (!startingUp_) ToggleFolderMode(); });
  connect(ImageFilespec, &QToolButton::clicked, this, [this] { if (!startingUp_) ToggleFilespecMode(); });
  connect(ImageString, &QToolButton::clicked, this, [this] { if (!startingUp_) ToggleStringMode(); });

  for (QLineEdit* field : {edtFolder, edtFileSpec, edtString}) field->installEventFilter(this);
  return page;
}

QWidget* TfrmVarko1::buildMainOptions() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabMainOptions"));
  auto* layout = new QVBoxLayout(page);
  layout->setSpacing(5);
  Label6 = makeLabel(page, "Label6", QStringLiteral("Case"));
  setTextColour(Label6, kGreyColour);
  cbxCasefl = makeCheckBox(page, "cbxCasefl", QStringLiteral("Match text in UPPER And lower case (case insensitive)"), true);
  cbxMatchWholeWordsOnly = makeCheckBox(page, "cbxMatchWholeWordsOnly", QStringLiteral("Whole Words Only"), false);
  cbxSearchFilename = makeCheckBox(page, "cbxSearchFilename", QStringLiteral("Search Filename too"), false,
                                   QStringLiteral("Look for matches in Filename"));
  cbxListAllFilenames = makeCheckBox(page, "cbxListAllFilenames", QStringLiteral("List All Filenames searched"), false);
  cbxCopyToCB = makeCheckBox(page, "cbxCopyToCB",
                             QStringLiteral("Copy search string to Clipboard for searching in Notepad/Editor"), false);
  cbxOmitBinBak = makeCheckBox(page, "cbxOmitBinBak", QStringLiteral("Omit  binary files, hidden folders, __history  etc"),
                               true, QStringLiteral("Omit Binary files, *.bak *.dcu *.map"));
  cbxOmitVarkoSR = makeCheckBox(page, "cbxOmitVarkoSR", QStringLiteral("Omit Varko Search/Replace files"), true);
  cbxFast = makeCheckBox(page, "cbxFast", QStringLiteral("Faster"), true, QStringLiteral("Turn off display while searching"));
  cbxGoogleFind = makeCheckBox(page, "cbxGoogleFind", QStringLiteral("Google Type Find (simple strings only)"), false,
                               QStringLiteral("Google type find shows only lines containing all words in any order"));
  cbxReuseFileSearchList = makeCheckBox(page, "cbxReuseFileSearchList",
                                        QStringLiteral("Re-use same File Search List (* option not passed tests yet)"), false);
  cbxReuseFileSearchList->setEnabled(false);
  for (QWidget* w : std::initializer_list<QWidget*>{Label6, cbxCasefl, cbxMatchWholeWordsOnly, cbxSearchFilename,
                                                   cbxListAllFilenames, cbxCopyToCB, cbxOmitBinBak, cbxOmitVarkoSR,
                                                   cbxFast, cbxGoogleFind, cbxReuseFileSearchList})
    layout->addWidget(w);
  layout->addStretch(1);
  return page;
}

QWidget* TfrmVarko1::buildDateOptions() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet2"));
  auto* layout = new QVBoxLayout(page);
  cbxEnableDateSelections =
      makeCheckBox(page, "cbxEnableDateSelections", QStringLiteral("Enable Date Selections for files"), false);
  layout->addWidget(cbxEnableDateSelections);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  auto makeField = [page](const char* name, const QString& accessibleName) {
    auto* field = new QLineEdit(page);
    field->setObjectName(QLatin1String(name));
    field->setFixedWidth(110);
    if (!accessibleName.isEmpty()) field->setAccessibleName(accessibleName);
    return field;
  };
  auto makePick = [page](const char* name, const QString& accessibleName) {
    QPushButton* button = makeButton(page, name, QStringLiteral(">"), QStringLiteral("Pick date on Calendar"));
    button->setAccessibleName(accessibleName);
    button->setFixedWidth(28);
    return button;
  };
  QLabel* start = makeLabel(page, "lblStart", QStringLiteral("Start"));
  QLabel* end = makeLabel(page, "lblEnd", QStringLiteral("End"));
  edtSelDate1 = makeField("edtSelDate1", QString());
  edtSelDate2 = makeField("edtSelDate2", QString());
  edtSelTime1 = makeField("edtSelTime1", QStringLiteral("Start time"));
  edtSelTime2 = makeField("edtSelTime2", QStringLiteral("End time"));
  start->setBuddy(edtSelDate1);
  end->setBuddy(edtSelDate2);
  btnSelDate1 = makePick("btnSelDate1", QStringLiteral("Pick start date on Calendar"));
  btnSelDate2 = makePick("btnSelDate2", QStringLiteral("Pick end date on Calendar"));
  btnSelTime1 = makePick("btnSelTime1", QStringLiteral("Pick start time"));
  btnSelTime2 = makePick("btnSelTime2", QStringLiteral("Pick end time"));
  grid->addWidget(start, 0, 0);
  grid->addWidget(edtSelDate1, 0, 1);
  grid->addWidget(btnSelDate1, 0, 2);
  grid->addWidget(edtSelTime1, 0, 3);
  grid->addWidget(btnSelTime1, 0, 4);
  grid->addWidget(end, 1, 0);
  grid->addWidget(edtSelDate2, 1, 1);
  grid->addWidget(btnSelDate2, 1, 2);
  grid->addWidget(edtSelTime2, 1, 3);
  grid->addWidget(btnSelTime2, 1, 4);
  grid->setColumnStretch(5, 1);
  layout->addLayout(grid);
  layout->addStretch(1);

  DateTimePicker1 = new QDateEdit(page);
  DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
  DateTimePicker1->setCalendarPopup(true);
  DateTimePicker1->setAccessibleName(QStringLiteral("Calendar"));
  DateTimePicker1->hide();

  connect(btnSelDate1, &QPushButton::clicked, this, [this] { if (hooks.pickDate) hooks.pickDate(1); });
  connect(btnSelDate2, &QPushButton::clicked, this, [this] { if (hooks.pickDate) hooks.pickDate(2); });
  connect(btnSelTime1, &QPushButton::clicked, this, [this] { if (hooks.pickTime) hooks.pickTime(1); });
  connect(btnSelTime2, &QPushButton::clicked, this, [this] { if (hooks.pickTime) hooks.pickTime(2); });
  return page;
}

QWidget* TfrmVarko1::buildViewOptions() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabViewOptions"));
  auto* layout = new QVBoxLayout(page);
  layout->setSpacing(5);
  cbxViewWindowCourier = makeCheckBox(
      page, "cbxViewWindowCourier", QStringLiteral("Use Courier(Non-proprtional) font for View Windows  CTRL+V"), false);
  cbxTestInfo = makeCheckBox(page, "cbxTestInfo", QStringLiteral("Show Extra Test Info"), false);
  cbxAlwaysUseAdvancedFolderScan =
      makeCheckBox(page, "cbxAlwaysUseAdvancedFolderScan", QStringLiteral("Always Use Advanced Folder Scan "), true);
  cbxShowAdvancedButtons = makeCheckBox(page, "cbxShowAdvancedButtons",
                                        QStringLiteral("Switch Advanced using Buttons (off to use a checkbox)"), true);
  for (QWidget* w : std::initializer_list<QWidget*>{cbxViewWindowCourier, cbxTestInfo, cbxAlwaysUseAdvancedFolderScan,
                                                   cbxShowAdvancedButtons})
    layout->addWidget(w);

  Label7 = makeLabel(page, "Label7", QStringLiteral("How to load file"));
  cbxLoadFromFileMethod = new QComboBox(page);
  cbxLoadFromFileMethod->setObjectName(QStringLiteral("cbxLoadFromFileMethod"));
  cbxLoadFromFileMethod->addItems({QStringLiteral("Standard LoadFromFile"),
                                   QStringLiteral("LoadFromFile that can load files in use"),
                                   QStringLiteral("xcLoadAsciiData (disabled)")});
  cbxLoadFromFileMethod->setCurrentIndex(1);
  Label7->setBuddy(cbxLoadFromFileMethod);
  auto* loadRow = new QHBoxLayout;
  loadRow->addWidget(Label7);
  loadRow->addWidget(cbxLoadFromFileMethod);
  loadRow->addStretch(1);
  layout->addLayout(loadRow);

  Label8 = makeLabel(page, "Label8", QStringLiteral("How to speed display"));
  cmbSpeedDisplay = new QComboBox(page);
  cmbSpeedDisplay->setObjectName(QStringLiteral("cmbSpeedDisplay"));
  cmbSpeedDisplay->addItems({QStringLiteral("0 - Grid visible set to false"), QStringLiteral("1 - enable/disable"),
                             QStringLiteral("2 - Beginupdate/endupdate")});
  cmbSpeedDisplay->setCurrentIndex(0);
  cmbSpeedDisplay->setEnabled(false);
  Label8->setBuddy(cmbSpeedDisplay);
  Label9 = makeLabel(page, "Label9", QStringLiteral("(Note only 0 seems to work)"));
  setTextColour(Label9, kGreyColour);
  auto* speedRow = new QHBoxLayout;
  speedRow->addWidget(Label8);
  speedRow->addWidget(cmbSpeedDisplay);
  speedRow->addWidget(Label9);
  speedRow->addStretch(1);
  layout->addLayout(speedRow);

  btnContactNORV = makeButton(page, "btnContactNORV", QStringLiteral("Contact NORV"));
  auto* contactRow = new QHBoxLayout;
  contactRow->addWidget(btnContactNORV);
  contactRow->addStretch(1);
  layout->addLayout(contactRow);
  layout->addStretch(1);

  connect(cbxShowAdvancedButtons, &QCheckBox::toggled, this, [this] { ShowAdvancedSwitches(); });
  connect(btnContactNORV, &QPushButton::clicked, this, [this] { runHook(hooks.showFeedback); });
  return page;
}

QWidget* TfrmVarko1::buildExtraOptions() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabExtraOptions"));
  auto* layout = new QVBoxLayout(page);
  cbxEnableReplace = makeCheckBox(page, "cbxEnableReplace", QStringLiteral("Enable Search/Replace"), false);
  layout->addWidget(cbxEnableReplace);
  layout->addStretch(1);
  connect(cbxEnableReplace, &QCheckBox::toggled, this, [this](bool on) { btnReplace->setEnabled(on); });
  return page;
}

void TfrmVarko1::buildFoundGrid() {
  grdFound = new QTableView(TabMatches);
  grdFound->setObjectName(QStringLiteral("grdFound"));
  grdFound->setAccessibleName(QStringLiteral("Matches"));
  foundModel_ = new FoundTableModel(session_.grdFound(), this);
  grdFound->setModel(foundModel_);
  grdFound->setItemDelegate(new FoundItemDelegate(grdFound));
  grdFound->horizontalHeader()->hide();
  grdFound->verticalHeader()->hide();
  grdFound->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grdFound->verticalHeader()->setMinimumSectionSize(1);
  grdFound->horizontalHeader()->setMinimumSectionSize(1);
  grdFound->horizontalHeader()->setStretchLastSection(false);
  grdFound->setShowGrid(false);
  grdFound->setWordWrap(false);
  grdFound->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdFound->setSelectionMode(QAbstractItemView::SingleSelection);
  grdFound->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab leaves the grid; inside it Tab would move the current cell (also when the grid hides).
  grdFound->setTabKeyNavigation(false);
  grdFound->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  grdFound->setColumnWidth(0, 44);
  grdFound->setColumnWidth(1, 744);
  // Columns 2 and 3 carry the file and position: never seen, still searched.
  grdFound->setColumnHidden(2, true);
  grdFound->setColumnHidden(3, true);
  grdFound->setToolTip(QString::fromStdU16String(kFoundGridFirstHint));
  foundModel_->setHint(grdFound->toolTip());
  grdFound->installEventFilter(this);

  connect(grdFound->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex& previous) {
            if (!current.isValid()) return;
            foundColumn_ = current.column();
            if (!syncingCurrentRow_) session_.grdFound().setCurrentRow(current.row());
            if (current.row() != previous.row()) grdFoundClick();
            grdFound->viewport()->update();
          });
  connect(foundModel_, &FoundTableModel::currentRowMoved, this, &TfrmVarko1::showFoundCurrentRow);
  connect(foundModel_, &FoundTableModel::topRowMoved, this,
          [this](int row) { grdFound->verticalScrollBar()->setValue(row); });
  connect(grdFound, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (hooks.openResult && index.isValid()) hooks.openResult(index.row());
  });
}

// ---------------------------------------------------------------------------------------------
// Creation and show.

void TfrmVarko1::FormCreate() {
  startingUp_ = true;
  saved_ = LoadSavedSettings(settingsFile_);
  UpdateFolderSelection();
  FillDateDefaults();
  PageControl2->setCurrentIndex(0);
  applyResultsFont();
}

void TfrmVarko1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmVarko1::FormShow() {
  savedTop_ = pos().y();
  savedHeight_ = height();
  expanded_ = false;
  btnResizeVertical->setToolTip(QStringLiteral("Expand vertically"));
  btnResizeVertical->setAccessibleName(QStringLiteral("Expand vertically"));
  cbxAdvancedFolders->setChecked(saved_.folderMode == kAdvancedMode);
  cbxAdvancedFileSpec->setChecked(saved_.fileSpecMode == kAdvancedMode);
  cbxAdvancedStrings->setChecked(saved_.stringMode == kAdvancedMode);
  SetAdvancedColours();
  if (saved_.folderMode == kSimpleMode && xcIsBlank(toText(edtFolder->text()))) edtFolder->setText(currentFolder());
  FitFoundColumns();
  setWindowTitle(toQString(kProgramTitle));

  if (firstShowDone_) return;
  firstShowDone_ = true;
  edtFileSpec->setText(QStringLiteral("*.*"));
  UpdateFolderSelection();
  cbxSubFolders->setChecked(false);
  for (QCheckBox* box : {cbxCopyToCB, cbxCasefl, cbxOmitBinBak, cbxOmitVarkoSR}) box->setChecked(true);
  resultsFontSize_ = kResultsFontStart;
  applyResultsFont();
  firstShowGridWidth_ = foundGridWidth();
  firstShowColumn1Width_ = grdFound->columnWidth(1);
  SetRunState(kRunIdle);
  FillEmptyFolder();
  UpdateFieldHints();
  SetAdvancedColours();
  ShowAdvancedSwitches();
  PrepareAdvancedFolders();
  PrepareAdvancedFileSpecs();
  PrepareAdvancedStrings();
  if (saved_.folderMode == kAdvancedMode || saved_.fileSpecMode == kAdvancedMode) cbxSubFolders->setChecked(true);
  edtFolder->setFocus();
  textsAtFocus_ = fieldTexts();
  startingUp_ = false;
  btnReplace->setEnabled(cbxEnableReplace->isChecked());
}

void TfrmVarko1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FitFoundColumns();
}

void TfrmVarko1::closeEvent(QCloseEvent* event) {
  // A run still going ends at its next file; closing never waits on it.
  if (session_.running()) session_.btnStopClick();
  QMainWindow::closeEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Run states.

void TfrmVarko1::SetRunState(RunState state) {
  if (state == kRunIdle) session_.AbortFindReplace();  // idle means nothing runs
  session_.SetRunState(state);
  if (state == kRunIdle && hooks.recordUse) hooks.recordUse(settingsFile_, kProgramDescription);
}

void TfrmVarko1::runStateChanged(RunState state) {
  if (state == kRunFinished) UpdateFolderSelection();
  runState_ = state;
  btnSelect->setVisible(state == kRunFinished);
  btnGo->setVisible(state == kRunIdle);
  btnStop->setVisible(state == kRunRunning);
  {
    // Showing the page is part of the state, not a request for another state.
    bool wasChanging = changingRunState_;
    changingRunState_ = true;
    PageControl1->setCurrentWidget(state == kRunIdle ? TabSelect : TabMatches);
    changingRunState_ = wasChanging;
  }
  setWindowTitle(toQString(RunStateTitle(state, session_.replaceOn(), searchStringsText_)));
  if (state == kRunIdle) lblProgress2->clear();
  if (state == kRunIdle) {
    for (QWidget* w : std::initializer_list<QWidget*>{btnFontMinus, btnFontPlus, lblFont}) w->hide();
  } else if (state == kRunFinished) {
    for (QWidget* w : std::initializer_list<QWidget*>{btnFontMinus, btnFontPlus, lblFont}) w->show();
    lblFont->setText(QString::number(resultsFontSize_));
  }
  btnView->setVisible(state != kRunRunning);
  btnPrint->setVisible(state != kRunRunning);
  if (state == kRunFinished) {
    foundModel_->flush();
    ResultTable& table = session_.grdFound();
    int firstResult = -1;
    for (int r = 0; r < table.rowCount(); ++r) {
      if (table.lineNumberCell(r) > 0) {
        firstResult = r;
        break;
      }
    }
    if (firstResult > 0) table.setCurrentRow(firstResult);
  }
}

void TfrmVarko1::PageControl1Change(int index) {
  if (changingRunState_ || startingUp_) return;
  SetRunState(index == 0 ? kRunIdle : kRunFinished);
}

void TfrmVarko1::PageControl2Change(int index) {
  if (index == 2) FillDateDefaults();
}

void TfrmVarko1::btnGoClick() {
  if (session_.running()) return;
  searchStringsText_ = saved_.stringMode == kSimpleMode ? toText(edtString->text()) : stringsSelection_.text;
  const SearchRequest request = buildRequest();
  if (request.stringMode == kSimpleMode && !request.searchText.empty()) {
    // A simple search is string 1 of the table, and the history keeps it.
    strings_.find(1) = request.searchText;
    strings_.count = 1;
    history_.AddStringToHistory(request.searchText);
  }
  session_.btnGoClick(request);
}

void TfrmVarko1::btnStopClick() { session_.btnStopClick(); }

void TfrmVarko1::btnSelectClick() {
  session_.AbortFindReplace();
  SetRunState(kRunIdle);
}

bool TfrmVarko1::testInfoOn() const { return cbxTestInfo->isChecked() || testInfoArgument_; }

SearchRequest TfrmVarko1::buildRequest() const {
  SearchRequest request;
  request.folderMode = saved_.folderMode;
  request.fileSpecMode = saved_.fileSpecMode;
  request.stringMode = saved_.stringMode;
  request.folder = toText(edtFolder->text());
  request.fileSpec = toText(edtFileSpec->text());
  request.searchText = toText(edtString->text());
  Text unused;
  request.selectedFolders = varko::PrepareAdvancedFolders(saved_.folders, kAdvancedMode, unused);
  request.selectedFileSpecs = varko::PrepareAdvancedFileSpecs(saved_.fileSpecs);
  request.strings = TablePairs(strings_);
  request.subFolders = cbxSubFolders->isChecked();
  request.caseInsensitive = cbxCasefl->isChecked();
  request.wholeWords = cbxMatchWholeWordsOnly->isChecked();
  request.searchFilename = cbxSearchFilename->isChecked();
  request.listAllFilenames = cbxListAllFilenames->isChecked();
  request.omitBinBak = cbxOmitBinBak->isChecked();
  request.omitVarkoSR = cbxOmitVarkoSR->isChecked();
  request.googleFind = cbxGoogleFind->isChecked();
  request.fast = cbxFast->isChecked();
  request.alwaysUseAdvancedFolderScan = cbxAlwaysUseAdvancedFolderScan->isChecked();
  request.testInfo = testInfoOn();
  request.loadMethod = cbxLoadFromFileMethod->currentIndex();
  request.dates.enabled = cbxEnableDateSelections->isChecked();
  request.dates.startDate = toText(edtSelDate1->text());
  request.dates.startTime = toText(edtSelTime1->text());
  request.dates.endDate = toText(edtSelDate2->text());
  request.dates.endTime = toText(edtSelTime2->text());
  request.replace = replaceOptions_;
  // Files are examined ahead on worker threads (the rows still arrive in list order); a test's
  // clock is read from the run's thread only, so the run then examines files itself.
  request.threads = clock_ ? 0 : -1;
  return request;
}

// ---------------------------------------------------------------------------------------------
// RunHost.

DateTimeValue TfrmVarko1::now() const { return clock_ ? clock_->now() : SystemClock::instance().now(); }

void TfrmVarko1::processEvents() {
  foundModel_->flush();
  QCoreApplication::processEvents();
}

void TfrmVarko1::setStatusText(const Text& text) { lblFile->setText(toQString(text)); }

void TfrmVarko1::setProgressText(const Text& text) { lblProgress2->setText(toQString(text)); }

void TfrmVarko1::showMessage(const Text& text) {
  QMessageBox::information(this, QApplication::applicationName(), toQString(text));
}

ConfirmAnswer TfrmVarko1::confirm(const Text& text, ConfirmButtons buttons) {
  QMessageBox::StandardButtons choice = QMessageBox::Yes | QMessageBox::No;
  if (buttons == ConfirmButtons::YesNoCancel) choice |= QMessageBox::Cancel;
  if (buttons == ConfirmButtons::YesNoCancelAll) choice |= QMessageBox::Cancel | QMessageBox::NoToAll | QMessageBox::YesToAll;
  switch (QMessageBox::question(this, QApplication::applicationName(), toQString(text), choice)) {
    case QMessageBox::Yes: return ConfirmAnswer::Yes;
    case QMessageBox::YesToAll: return ConfirmAnswer::YesToAll;
    case QMessageBox::NoToAll: return ConfirmAnswer::NoToAll;
    case QMessageBox::Cancel: return ConfirmAnswer::Cancel;
    default: return buttons == ConfirmButtons::YesNo ? ConfirmAnswer::No : ConfirmAnswer::Cancel;
  }
}

void TfrmVarko1::setFoundGridShown(bool shown) {
  if (cmbSpeedDisplay->currentIndex() == 1)
    grdFound->setEnabled(shown);
  else
    grdFound->setVisible(shown);
}

void TfrmVarko1::setReplaceShown(bool on) { shapeReplaceOn->setVisible(on); }

void TfrmVarko1::widenFoundTextColumn() {
  grdFound->setColumnWidth(1, std::max(1, foundGridWidth() - firstShowGridWidth_ + firstShowColumn1Width_));
}

void TfrmVarko1::focusStringField() { edtString->setFocus(); }

void TfrmVarko1::focusFoundGrid() { grdFound->setFocus(); }

void TfrmVarko1::setSpeedDisplayItem(SpeedDisplayItem item) { cmbSpeedDisplay->setCurrentIndex(item); }

void TfrmVarko1::setLoadMethodItem(LoadMethodItem item) { cbxLoadFromFileMethod->setCurrentIndex(item); }

void TfrmVarko1::SetStatusColour(StatusColour colour) {
  if (colour == StatusColour::Running)
    setTextColour(lblFile, kNavyColour);
  else if (FieldsChangedSinceFocus(fieldTexts(), textsAtFocus_))
    setTextColour(lblFile, kGreyColour);
}

FieldTexts TfrmVarko1::fieldTexts() const {
  return {toText(edtFolder->text()), toText(edtFileSpec->text()), toText(edtString->text())};
}

// ---------------------------------------------------------------------------------------------
// Search inputs.

void TfrmVarko1::SetAdvancedColours() {
  struct Input {
    QLineEdit* field;
    QToolButton* picture;
    QLabel* label;
    QCheckBox* box;
    int mode;
  };
  for (const Input& input : {Input{edtFolder, ImageFolder, lblpAdvancedFolder, cbxAdvancedFolders, saved_.folderMode},
                             Input{edtFileSpec, ImageFilespec, lblpAdvancedFilespec, cbxAdvancedFileSpec, saved_.fileSpecMode},
                             Input{edtString, ImageString, lblpAdvancedString, cbxAdvancedStrings, saved_.stringMode}}) {
    const bool advanced = input.mode == kAdvancedMode;
    setTextColour(input.field, advanced ? kGreenColour : kNavyColour);
    QFont font = input.field->font();
    font.setBold(advanced);
    input.field->setFont(font);
    input.field->setReadOnly(advanced);
    input.picture->setIcon(QIcon(advanced ? VarkoPictures::switchOn() : VarkoPictures::switchOff()));
    input.picture->setToolTip(advanced ? QStringLiteral("Advanced (click for simple)")
                                       : QStringLiteral("Simple (click for advanced)"));
    setTextColour(input.label, advanced ? kGreenColour : kGreyColour);
    QSignalBlocker block(input.box);
    input.box->setChecked(advanced);
  }
  const bool folders = saved_.folderMode == kAdvancedMode;
  btnCurrent->setEnabled(!folders);
  btnBrowse->setEnabled(!folders);
  if (!folders) lblFolderCount->clear();
  if (saved_.fileSpecMode == kAdvancedMode)
    lblFilespecCount->setText(toQString(SetLabelText(static_cast<int32_t>(fileSpecsSelection_.items.size()), u"Filespec")));
  else
    lblFilespecCount->clear();
  if (saved_.stringMode == kAdvancedMode) {
    btnHistory->setEnabled(false);
    cbxGoogleFind->setChecked(false);
    cbxGoogleFind->setEnabled(false);
  } else {
    btnHistory->setEnabled(true);
    cbxGoogleFind->setEnabled(true);
    lblStringsCount->clear();
  }
}

void TfrmVarko1::UpdateFolderSelection() {
  if (saved_.folderMode == kSimpleMode) {
    folderText_ = toText(edtFolder->text());
    folderCount_ = 1;
    return;
  }
  edtFolder->clear();
  FolderSelection selection = AdvancedFolderSelection(saved_.folders);
  folderText_ = selection.text;
  folderCount_ = selection.count;
  foldersWithBlank_ = selection.withBlank;
  edtFolder->setText(toQString(folderText_));
  lblFolderCount->setText(toQString(SetLabelText(folderCount_, u"Folder")));
}

void TfrmVarko1::UpdateFilespecSelection() {
  if (saved_.fileSpecMode == kSimpleMode) {
    fileSpecText_ = toText(edtFileSpec->text());
    fileSpecCount_ = 1;
    return;
  }
  fileSpecText_.clear();
  fileSpecCount_ = 0;
  for (int i = 0; i < kAdvancedSlots; ++i) {
    Text spec = xcTrim(saved_.fileSpecs.texts[static_cast<size_t>(i)]);
    if (!saved_.fileSpecs.checked[static_cast<size_t>(i)] || spec.empty()) continue;
    if (!fileSpecText_.empty()) fileSpecText_ += u',';
    fileSpecText_ += spec;
    ++fileSpecCount_;
  }
  fileSpecsSelection_ = varko::PrepareAdvancedFileSpecs(saved_.fileSpecs);
  edtFileSpec->setText(toQString(fileSpecsSelection_.text));
  lblFilespecCount->setText(toQString(SetLabelText(static_cast<int32_t>(fileSpecsSelection_.items.size()), u"Filespec")));
}

void TfrmVarko1::UpdateFieldHints() {
  btnCurrent->setToolTip(toQString(CurrentFolderHint(toText(currentFolder()))));
  edtFolder->setToolTip(toQString(FolderFieldHint(saved_.folderMode)));
  edtString->setToolTip(toQString(StringFieldHint(saved_.stringMode)));
}

void TfrmVarko1::ShowAdvancedSwitches() {
  const bool pictures = cbxShowAdvancedButtons->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{ImageFolder, ImageFilespec, ImageString, lblpAdvancedFolder,
                                                   lblpAdvancedFilespec, lblpAdvancedString})
    w->setVisible(pictures);
  for (QCheckBox* box : {cbxAdvancedFolders, cbxAdvancedFileSpec, cbxAdvancedStrings}) box->setVisible(!pictures);
}

void TfrmVarko1::FillEmptyFolder() {
  if (saved_.folderMode != kSimpleMode) return;
  Text folder = varko::FillEmptyFolder(toText(edtFolder->text()), saved_.folders, xcExeFolder());
  edtFolder->setText(toQString(folder));
}

void TfrmVarko1::FillDateDefaults() {
  DateFieldTexts fields{toText(edtSelDate1->text()), toText(edtSelDate2->text()), toText(edtSelTime1->text()),
                        toText(edtSelTime2->text())};
  varko::FillDateDefaults(fields, clock_ ? *clock_ : static_cast<const Clock&>(SystemClock::instance()));
  edtSelDate1->setText(toQString(fields.date1));
  edtSelDate2->setText(toQString(fields.date2));
  edtSelTime1->setText(toQString(fields.time1));
  edtSelTime2->setText(toQString(fields.time2));
}

void TfrmVarko1::PrepareAdvancedFolders() {
  Text field = toText(edtFolder->text());
  foldersSelection_ = varko::PrepareAdvancedFolders(saved_.folders, saved_.folderMode, field);
  if (field != toText(edtFolder->text())) edtFolder->setText(toQString(field));
}

void TfrmVarko1::PrepareAdvancedFileSpecs() {
  if (saved_.fileSpecMode != kAdvancedMode) return;
  fileSpecsSelection_ = varko::PrepareAdvancedFileSpecs(saved_.fileSpecs);
  edtFileSpec->setText(toQString(fileSpecsSelection_.text));
  lblFilespecCount->setText(toQString(SetLabelText(static_cast<int32_t>(fileSpecsSelection_.items.size()), u"Filespec")));
}

void TfrmVarko1::PrepareAdvancedStrings() {
  if (saved_.stringMode != kAdvancedMode) return;
  stringsSelection_ = varko::PrepareAdvancedStrings(strings_);
  edtString->setText(toQString(stringsSelection_.text));
  edtString->setToolTip(toQString(AdvancedStringsHint(stringsSelection_)));
  lblStringsCount->setText(toQString(SetLabelText(strings_.count, u"String")));
  searchStringsText_ = stringsSelection_.text;
}

void TfrmVarko1::ToggleFolderMode() {
  if (saved_.folderMode == kSimpleMode) {
    saved_.folderMode = kAdvancedMode;
  } else {
    saved_.folderMode = kSimpleMode;
    btnCurrent->setEnabled(true);
    btnBrowse->setEnabled(true);
    edtFolder->setText(toQString(KeepFirstEntry(toText(edtFolder->text()))));
  }
  SetAdvancedColours();
  UpdateFieldHints();
}

void TfrmVarko1::ToggleFilespecMode() {
  saved_.fileSpecMode = saved_.fileSpecMode == kSimpleMode ? kAdvancedMode : kSimpleMode;
  SetAdvancedColours();
  edtFileSpec->setText(toQString(KeepFirstEntry(toText(edtFileSpec->text()))));
}

void TfrmVarko1::ToggleStringMode() {
  if (saved_.stringMode == kSimpleMode) {
    saved_.stringMode = kAdvancedMode;
  } else {
    saved_.stringMode = kSimpleMode;
    edtString->setText(toQString(KeepFirstEntry(toText(edtString->text()))));
  }
  SetAdvancedColours();
  UpdateFieldHints();
}

void TfrmVarko1::adoptSavedSettings(const SavedSettings& settings) {
  saved_ = settings;
  SetAdvancedColours();
  UpdateFieldHints();
}

QString TfrmVarko1::currentFolder() const { return QDir::currentPath(); }

QString TfrmVarko1::pickFolder(const QString& startFolder) {
  if (hooks.pickFolder) return hooks.pickFolder(startFolder);
  return QFileDialog::getExistingDirectory(this, QStringLiteral("Folder"), startFolder);
}

void TfrmVarko1::btnCurrentClick() { edtFolder->setText(currentFolder()); }

void TfrmVarko1::btnBrowseClick() {
  if (saved_.folderMode != kSimpleMode) return;
  UpdateFolderSelection();
  QString chosen = pickFolder(edtFolder->text());
  if (!chosen.isEmpty()) edtFolder->setText(chosen);
}

void TfrmVarko1::edtFolderDblClick() {
  if (saved_.folderMode != kSimpleMode) return;
  Text start = DoubleClickStartFolder(toText(currentFolder()), toText(edtFolder->text()), saved_.folders, xcExeFolder());
  QString chosen = pickFolder(toQString(start));
  if (!chosen.isEmpty()) edtFolder->setText(chosen);
}

void TfrmVarko1::editFieldClick(QLineEdit* field) {
  if (startingUp_) return;
  if (field == edtFolder) {
    if (saved_.folderMode != kAdvancedMode) return;
    runHook(hooks.editAdvancedFolders);
    UpdateFolderSelection();
    PrepareAdvancedFolders();
  } else if (field == edtFileSpec) {
    if (saved_.fileSpecMode == kSimpleMode) {
      lblFilespecCount->clear();
      return;
    }
    runHook(hooks.editAdvancedFileSpecs);
    UpdateFilespecSelection();
    PrepareAdvancedFileSpecs();
  } else if (field == edtString) {
    if (saved_.stringMode == kSimpleMode) {
      edtString->setFocus();
      lblStringsCount->clear();
      return;
    }
    runHook(hooks.editAdvancedStrings);
    PrepareAdvancedStrings();
  }
}

void TfrmVarko1::editFieldExit(QLineEdit* field) {
  if (field == edtString) {
    const Text text = toText(edtString->text());
    if (text != textsAtFocus_.string && saved_.stringMode == kSimpleMode) {
      history_.AddStringToHistory(session_.searchString());
      searchStringsText_ = text;
    }
  }
  SetStatusColour(StatusColour::GreyIfFieldsChanged);
}

void TfrmVarko1::runHook(const std::function<void()>& hook) {
  if (hook) hook();
}

// ---------------------------------------------------------------------------------------------
// Window buttons.

void TfrmVarko1::applyResultsFont() {
  QFont font(QStringLiteral("Verdana"));
  font.setPointSize(resultsFontSize_);
  foundModel_->setRowFont(font);
  grdFound->verticalHeader()->setDefaultSectionSize(ResultsRowHeight(resultsFontSize_));
}

void TfrmVarko1::btnFontMinusClick() {
  resultsFontSize_ = ResultsFontSmaller(resultsFontSize_);
  lblFont->setText(QString::number(resultsFontSize_));
  grdFound->hide();
  applyResultsFont();
  grdFound->show();
}

void TfrmVarko1::btnFontPlusClick() {
  resultsFontSize_ = ResultsFontLarger(resultsFontSize_);
  lblFont->setText(QString::number(resultsFontSize_));
  grdFound->hide();
  applyResultsFont();
  grdFound->show();
}

void TfrmVarko1::btnResizeVerticalClick() {
  if (!expanded_) {
    savedTop_ = pos().y();
    savedHeight_ = height();
    const QRect work = screen() ? screen()->availableGeometry() : QRect(0, 0, width(), height());
    const int frameExtra = frameGeometry().height() - height();
    move(pos().x(), work.top());
    resize(width(), work.height() - frameExtra);
    expanded_ = true;
    btnResizeVertical->setToolTip(QStringLiteral("Shrink to original height"));
    btnResizeVertical->setAccessibleName(QStringLiteral("Shrink to original height"));
  } else {
    move(pos().x(), savedTop_);
    resize(width(), savedHeight_);
    expanded_ = false;
    btnResizeVertical->setToolTip(QStringLiteral("Expand vertically"));
    btnResizeVertical->setAccessibleName(QStringLiteral("Expand vertically"));
  }
}

void TfrmVarko1::btnSetupOptionsClick() {
  if (hooks.showTips) hooks.showTips(2);
  SaveSettingsAsDefault();
  xcEditFiles(settingsFile_);
}

void TfrmVarko1::SaveSettingsAsDefault() {
  if (confirm(u"Save current settings?", ConfirmButtons::YesNo) != ConfirmAnswer::Yes) return;
  try {
    WriteSettingsAsDefault(settingsFile_, saved_);
  } catch (const VarkoError& e) {
    showMessage(e.text());
  }
}

void TfrmVarko1::xcEditFiles(const Text& files) {
  EditFilesCommand command = xcEditFilesCommand(files);
  Text error;
  bool started = hooks.launch ? hooks.launch(command.launch, error) : Launcher::launch(command.launch, error);
  if (!started) showMessage(command.FailureText(error));
}

// ---------------------------------------------------------------------------------------------
// Results grid.

void TfrmVarko1::FitFoundColumns() {
  GridMeasures measures;
  measures.defaultRowHeight = grdFound->verticalHeader()->defaultSectionSize();
  measures.fontSize = grdFound->font().pointSize();
  measures.width = foundGridWidth();
  for (int c = 0; c < foundModel_->columnCount(); ++c)
    measures.columnWidths.push_back(grdFound->isColumnHidden(c) ? 0 : grdFound->columnWidth(c));
  varko::FitFoundColumns(measures);
  grdFound->verticalHeader()->setDefaultSectionSize(measures.defaultRowHeight);
  if (measures.fontSize != grdFound->font().pointSize()) {
    QFont font = grdFound->font();
    font.setPointSize(measures.fontSize);
    grdFound->setFont(font);
  }
  for (int c = 0; c < static_cast<int>(measures.columnWidths.size()); ++c)
    if (measures.columnWidths[static_cast<size_t>(c)] > 0)
      grdFound->setColumnWidth(c, measures.columnWidths[static_cast<size_t>(c)]);
}

int TfrmVarko1::foundGridWidth() const {
  // The grid fills its page; a page in the back keeps a stale size, the one in front is current.
  const QWidget* page = PageControl1->currentWidget();
  return page ? page->width() : grdFound->width();
}

void TfrmVarko1::showFoundCurrentRow(int row) {
  if (row < 0 || row >= foundModel_->rowCount()) return;
  QModelIndex index = foundModel_->index(row, std::clamp(foundColumn_, 0, foundModel_->columnCount() - 1));
  if (grdFound->currentIndex() == index) return;
  syncingCurrentRow_ = true;
  grdFound->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  syncingCurrentRow_ = false;
}

void TfrmVarko1::grdFoundClick() {
  runHook(hooks.hideFileWindow);
  const ResultTable& table = session_.grdFound();
  QString hint = toQString(FoundGridRowHint(table.pathCell(table.currentRow())));
  foundModel_->setHint(hint);
  grdFound->setToolTip(hint);
}

void TfrmVarko1::SelectNextFile() { varko::SelectNextFile(session_.grdFound()); }

void TfrmVarko1::SelectPrevFile() { varko::SelectPrevFile(session_.grdFound()); }

bool TfrmVarko1::grdFoundKeyDown(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  ResultTable& table = session_.grdFound();
  int column = foundColumn_;
  bool handled = false;
  bool moved = false;
  if (event->key() == Qt::Key_F && ctrl) {
    moved = xcGridSearch(table, column, xcGridFindText(), [this](Text& findText) {
      bool ok = false;
      QString text = QInputDialog::getText(this, QStringLiteral("Find:"), QStringLiteral("Text to find:"),
                                           QLineEdit::Normal, toQString(findText), &ok);
      if (ok) findText = toText(text);
      return ok;
    });
    handled = true;
  }
  if (event->key() == Qt::Key_F3 && !shift) {
    moved = xcGridSearchNext(table, column, xcGridFindText());
    handled = true;
  }
  if (event->key() == Qt::Key_F3 && shift) {
    moved = xcGridSearchPrev(table, column, xcGridFindText());
    handled = true;
  }
  if (event->key() == Qt::Key_N && ctrl) {
    SelectNextFile();
    handled = true;
  }
  if (event->key() == Qt::Key_P && ctrl) {
    SelectPrevFile();
    handled = true;
  }
  if (moved) {
    foundColumn_ = column;
    showFoundCurrentRow(table.currentRow());
    QModelIndex index = foundModel_->index(table.currentRow(), column);
    syncingCurrentRow_ = true;
    grdFound->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    syncingCurrentRow_ = false;
    if (!grdFound->isColumnHidden(column)) grdFound->scrollTo(index);
    else grdFound->scrollTo(foundModel_->index(table.currentRow(), 1));
  }
  return handled;
}

bool TfrmVarko1::grdFoundKeyUp(QKeyEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) return false;
  if (event->key() == Qt::Key_V) {
    runHook(hooks.viewFile);
    return true;
  }
  if (event->key() == Qt::Key_W) {
    runHook(hooks.toggleFileWindow);
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Keys, clicks and focus of the fields.

bool TfrmVarko1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grdFound) {
    if (event->type() == QEvent::KeyPress) return grdFoundKeyDown(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::KeyRelease) return grdFoundKeyUp(static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
  }

  auto* widget = qobject_cast<QWidget*>(watched);
  if (event->type() == QEvent::KeyPress && (qobject_cast<QLineEdit*>(watched) || qobject_cast<QCheckBox*>(watched))) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape) {
      // Neither starts a search nor closes anything: both move on like Tab.
      if (widget) {
        QWidget* next = widget->nextInFocusChain();
        while (next && next != widget && (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisible() || !next->isEnabled()))
          next = next->nextInFocusChain();
        if (next && next != widget) next->setFocus(Qt::TabFocusReason);
      }
      return true;
    }
  }

  auto* field = qobject_cast<QLineEdit*>(watched);
  if (field == edtFolder || field == edtFileSpec || field == edtString) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        if (field == edtString ? saved_.stringMode == kAdvancedMode
                               : (field == edtFolder ? saved_.folderMode : saved_.fileSpecMode) == kAdvancedMode) {
          editFieldClick(field);
          return !startingUp_;
        }
        editFieldClick(field);
        break;
      case QEvent::MouseButtonDblClick:
        if (field == edtFolder) {
          edtFolderDblClick();
          return true;
        }
        break;
      case QEvent::KeyPress:
        if (isCharacterKey(static_cast<QKeyEvent*>(event))) editFieldClick(field);
        break;
      case QEvent::FocusIn:
        if (field == edtFolder) textsAtFocus_.folder = toText(field->text());
        if (field == edtFileSpec) textsAtFocus_.fileSpec = toText(field->text());
        if (field == edtString) textsAtFocus_.string = toText(field->text());
        break;
      case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the window (a dialog opening) is not leaving the field.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
        editFieldExit(field);
        // Typing a string and moving on by keyboard leads to "Search"; a mouse click goes where clicked.
        if (field == edtString && reason != Qt::MouseFocusReason && btnGo->isVisible())
          QMetaObject::invokeMethod(btnGo, [this] { btnGo->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
        break;
      }
      default:
        break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}
