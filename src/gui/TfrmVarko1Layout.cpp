// The main window's controls: building them, their look and their wiring to the handlers (the
// inputs' behaviour is in TfrmVarko1Fields.cpp).
#include "TfrmVarko1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "FoundGridView.h"
#include "QtColour.h"
#include "QtText.h"
#include "ScreenFit.h"
#include "SizedTabWidget.h"
#include "VarkoPictures.h"

using namespace varko;
using varko::gui::setDesignedLook;
using varko::gui::setTextColour;
using varko::gui::toQColor;
using varko::gui::toQString;
using varko::gui::toText;

namespace {

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
  setTextColour(field, kNavy);
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

// An option page scrolls when the window is too small for it (a small screen); at the designed
// size it shows whole, as if it were not in a scroll area at all.
QScrollArea* scrollable(QWidget* page) {
  auto* area = new QScrollArea;
  area->setFrameShape(QFrame::NoFrame);
  area->setWidgetResizable(true);
  area->setWidget(page);
  // The tab page's ground shows through, as without the scroll area.
  area->viewport()->setAutoFillBackground(false);
  page->setAutoFillBackground(false);
  return area;
}

}  // namespace

void TfrmVarko1::buildWindow() {
  QFont windowFont(QStringLiteral("Verdana"), 8);
  setFont(windowFont);
  setDesignedLook(this, kWhite);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);

  PageControl1 = new SizedTabWidget(QSize(120, 30), false, central);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
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
  // Both give way to a smaller screen.
  varko::gui::fitToScreenWhenShown(this);

  connect(PageControl1, &QTabWidget::currentChanged, this, &TfrmVarko1::PageControl1Change);
  connect(btnResizeVertical, &QToolButton::clicked, this, &TfrmVarko1::btnResizeVerticalClick);

  // Enter and Esc in fields and check boxes move on like Tab; Enter on a focused button presses it.
  for (QLineEdit* field : findChildren<QLineEdit*>()) field->installEventFilter(this);
  for (QCheckBox* box : findChildren<QCheckBox*>()) box->installEventFilter(this);
  for (QPushButton* button : findChildren<QPushButton*>()) button->installEventFilter(this);
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
  setTextColour(lblFont, kGrey);
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
  setTextColour(lblProgress2, kGrey);
  lblFile = makeLabel(bar, "lblFile", QStringLiteral("(Stopped)"));
  lblFile->setFont(QFont(QStringLiteral("Verdana"), 9));
  // Long status texts must not widen the window.
  for (QLabel* l : {lblProgress2, lblFile}) l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lblAdvancedVals = makeLabel(bar, "lblAdvancedVals", QStringLiteral("   "));
  setTextColour(lblAdvancedVals, kGrey);

  shapeReplaceOn = new QFrame(bar);
  shapeReplaceOn->setObjectName(QStringLiteral("shapeReplaceOn"));
  shapeReplaceOn->setFrameShape(QFrame::Box);
  shapeReplaceOn->setAutoFillBackground(true);
  QPalette cream = shapeReplaceOn->palette();
  cream.setColor(QPalette::Window, toQColor(kCream));
  shapeReplaceOn->setPalette(cream);
  auto* replaceLayout = new QHBoxLayout(shapeReplaceOn);
  replaceLayout->setContentsMargins(6, 2, 6, 2);
  lblReplaceOn = makeLabel(shapeReplaceOn, "lblReplaceOn", QStringLiteral("Replace On"));
  QFont bold = lblReplaceOn->font();
  bold.setBold(true);
  lblReplaceOn->setFont(bold);
  setTextColour(lblReplaceOn, kMaroon, kCream);
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
    setTextColour(l, kGreen);
    l->setMinimumWidth(90);
  }
  for (QLabel* l : {lblpAdvancedFolder, lblpAdvancedFilespec, lblpAdvancedString}) setTextColour(l, kGrey);
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

  PageControl2 = new SizedTabWidget(QSize(160, 22), false, page);
  PageControl2->setObjectName(QStringLiteral("PageControl2"));
  PageControl2->addTab(scrollable(buildMainOptions()), QStringLiteral("Main options"));
  PageControl2->addTab(scrollable(buildDateOptions()), QStringLiteral("Date options"));
  PageControl2->addTab(scrollable(buildViewOptions()), QStringLiteral("View etc options"));
  PageControl2->addTab(scrollable(buildExtraOptions()), QStringLiteral("Extra options"));
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
  setTextColour(Label6, kGrey);
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
  cbxRegularExpressions = makeCheckBox(page, "cbxRegularExpressions", QStringLiteral("Regular expressions"), false,
                                       QStringLiteral("Every find string is a regular expression (RE2 syntax)"));
  cbxReuseFileSearchList = makeCheckBox(page, "cbxReuseFileSearchList",
                                        QStringLiteral("Re-use same File Search List (* option not passed tests yet)"), false);
  cbxReuseFileSearchList->setEnabled(false);
  for (QWidget* w : std::initializer_list<QWidget*>{Label6, cbxCasefl, cbxMatchWholeWordsOnly, cbxSearchFilename,
                                                   cbxListAllFilenames, cbxCopyToCB, cbxOmitBinBak, cbxOmitVarkoSR,
                                                   cbxFast, cbxGoogleFind, cbxRegularExpressions, cbxReuseFileSearchList})
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
  setTextColour(Label9, kGrey);
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
  cbxAsciiTextTest = makeCheckBox(page, "cbxAsciiTextTest", QStringLiteral("Only 8-bit text files (ASCII test)"), false,
                                  QStringLiteral("Search only files of printable ASCII, not UTF-8 or UTF-16 text"));
  cbxListSkipped = makeCheckBox(page, "cbxListSkipped", QStringLiteral("List skipped files"), false,
                                QStringLiteral("A row for every file not searched, with the reason"));
  layout->addWidget(cbxAsciiTextTest);
  layout->addWidget(cbxListSkipped);
  cbxRespectGitignore = makeCheckBox(page, "cbxRespectGitignore", QStringLiteral("Skip files git ignores (.gitignore)"),
                                     false, QStringLiteral("Inside a git work tree, leave out what git ignores"));
  layout->addWidget(cbxRespectGitignore);
  lblExcludeFolders = makeLabel(page, "lblExcludeFolders", QStringLiteral("Exclude folders"));
  edtExcludeFolders = new QLineEdit(page);
  edtExcludeFolders->setObjectName(QStringLiteral("edtExcludeFolders"));
  edtExcludeFolders->setPlaceholderText(QStringLiteral("node_modules;build;.venv"));
  edtExcludeFolders->setToolTip(QStringLiteral("Folder names not entered, separated by ;"));
  lblExcludeFolders->setBuddy(edtExcludeFolders);
  auto* excludeRow = new QHBoxLayout;
  excludeRow->addWidget(lblExcludeFolders);
  excludeRow->addWidget(edtExcludeFolders, 1);
  layout->addLayout(excludeRow);
  layout->addStretch(1);
  connect(cbxEnableReplace, &QCheckBox::toggled, this, [this](bool on) { btnReplace->setEnabled(on); });
  return page;
}

void TfrmVarko1::buildFoundGrid() {
  grdFound = new FoundGridView(session_.grdFound(), TabMatches);
  foundModel_ = grdFound->foundModel();
  connect(grdFound, &FoundGridView::rowEntered, this, [this] { runHook(hooks.hideFileWindow); });
  connect(grdFound, &FoundGridView::rowOpened, this, [this](int row) {
    if (hooks.openResult) hooks.openResult(row);
  });
  connect(grdFound, &FoundGridView::viewFileKey, this, [this] { runHook(hooks.viewFile); });
  connect(grdFound, &FoundGridView::fileWindowKey, this, [this] { runHook(hooks.toggleFileWindow); });
}
