#pragma once
// The main window: the search inputs and options ("Select"), the results grid ("Matches") and the
// bottom bar. The search itself is the core's SearchSession; this window fills its request from the
// controls and is its RunHost. Other windows are reached through hooks that main() wires.
#include <QMainWindow>
#include <functional>
#include <memory>
#include "results/OpenCommand.h"
#include "search/SearchSession.h"
#include "setup/SearchInputSet.h"
#include "setup/SearchInputs.h"
#include "setup/Settings.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class FoundGridView;
class FoundTableModel;

// The other windows the main window opens, each shown modally unless said otherwise.
struct TfrmVarko1Hooks {
  std::function<void(int page)> showTips;           // tips window on a page (0, 1, 2)
  std::function<void()> showFeedback;               // "Contact NORV"
  std::function<void(const varko::Text& settingsFile, const varko::Text& description)> recordUse;
  std::function<void()> editAdvancedFolders;        // before the folder selection is made again
  std::function<void()> editAdvancedFileSpecs;
  std::function<void()> editAdvancedStrings;
  std::function<void()> showHistory;
  std::function<void()> showReplaceOptions;
  std::function<void()> viewFile;                   // "View" and Ctrl+V
  std::function<void()> toggleFileWindow;           // Ctrl+W
  std::function<void()> hideFileWindow;             // a row change hides the file window
  std::function<void()> printResults;               // "Text/Print"
  std::function<void(int row)> openResult;          // double click on a result row
  std::function<void(int field)> pickDate;          // 1 start, 2 end
  std::function<void(int field)> pickTime;
  // Folder picker; an empty result means cancelled.
  std::function<QString(const QString& startFolder)> pickFolder;
  // Starts a program or opens a document; false with the system's error text on failure.
  std::function<bool(const varko::LaunchCommand& command, varko::Text& error)> launch;
};

class TfrmVarko1 : public QMainWindow, public varko::RunHost {
  Q_OBJECT
public:
  // The window works on inputs, which must outlive it; it reads the saved part from the settings
  // file. An empty settings file name means the one beside the executable.
  explicit TfrmVarko1(varko::SearchInputSet& inputs, const QString& settingsFile = QString(),
                      QWidget* parent = nullptr);
  // A window run on its own, without the program (a benchmark), keeps inputs of its own.
  explicit TfrmVarko1(const QString& settingsFile, QWidget* parent = nullptr);
  ~TfrmVarko1() override;

  TfrmVarko1Hooks hooks;

  varko::SearchSession& session() { return session_; }
  // The inputs the window works on; a run gets them in its request.
  varko::SearchInputSet& inputs() { return inputs_; }
  // Parts of inputs(), as a window run on its own fills them.
  varko::StringTable& strings() { return inputs_.strings; }
  varko::SavedSettings& savedSettings() { return inputs_.saved; }
  // Another window read the saved setup again: its modes and lists replace the window's.
  void adoptSavedSettings(const varko::SavedSettings& settings);
  const varko::Text& settingsFileName() const { return settingsFile_; }
  FoundTableModel* foundModel() const { return foundModel_; }
  // The "-v" argument: test information on without the check box.
  void setTestInfoArgument(bool on) { testInfoArgument_ = on; }
  bool testInfoOn() const;
  // A test's clock is read from the run's thread only, so the run then examines files itself.
  void setClock(const varko::Clock* clock) { clock_ = clock; }
  int resultsFontSize() const { return resultsFontSize_; }
  int runState() const { return runState_; }
  const varko::Text& searchStringsText() const { return searchStringsText_; }
  varko::SearchRequest buildRequest() const;
  // What the other windows read from and set in the main window.
  varko::Text searchFieldText() const;
  void setSearchFieldText(const QString& text);
  bool copyToClipboardOn() const;
  bool viewWindowCourierOn() const;
  void focusSearchButton();
  // The find text of the results grid's Ctrl+F and F3: the window's own until the program shares
  // the one the view window uses too.
  void shareGridFindText(varko::Text& text);
  varko::Text& gridFindText() const;

  // The replace options window took its grid's strings: the strings become the advanced list.
  void TakeReplaceStrings(const varko::Text& stringsText, const varko::RequestList& strings);
  // DoSearch in replace mode on request, each file with a match handed to handler.
  void StartReplaceRun(const varko::SearchRequest& request, varko::ReplaceHandler& handler);
  // The folder the program was started with (a file manager's "Open with"), or one dropped on the
  // window: the folder to search, in simple mode, whatever folder the settings saved.
  void setStartFolder(const QString& folder);
  // The texts the report header reads.
  varko::Text statusLineText() const;
  varko::Text folderCountText() const;
  varko::Text fileSpecFieldText() const;

  // Operations named as the program names them.
  void SetRunState(varko::RunState state);
  void SetStatusColour(varko::StatusColour colour);
  void SetAdvancedColours();
  void UpdateFolderSelection();
  void UpdateFieldHints();
  void ShowAdvancedSwitches();
  void FillEmptyFolder();
  void FillDateDefaults();
  void FitFoundColumns();
  void PrepareAdvancedFolders();
  void PrepareAdvancedFileSpecs();
  void PrepareAdvancedStrings();
  // The title for the run state and the strings the next run searches for.
  void showTitle();
  // The "Date options" fields the program wires its date and time pickers to.
  struct DateFields {
    QLineEdit* startDate;
    QLineEdit* endDate;
    QLineEdit* startTime;
    QLineEdit* endTime;
    QPushButton* startDateButton;
    QPushButton* endDateButton;
  };
  DateFields dateFields() const {
    return {edtSelDate1, edtSelDate2, edtSelTime1, edtSelTime2, btnSelDate1, btnSelDate2};
  }
  void ToggleFolderMode();
  void ToggleFilespecMode();
  void ToggleStringMode();
  void SaveSettingsAsDefault();
  void xcEditFiles(const varko::Text& files);
  void SelectNextFile();
  void SelectPrevFile();

  // RunHost.
  varko::DateTimeValue now() const override;
  void processEvents() override;
  void setStatusText(const varko::Text& text) override;
  void setProgressText(const varko::Text& text) override;
  void showMessage(const varko::Text& text) override;
  varko::ConfirmAnswer confirm(const varko::Text& text, varko::ConfirmButtons buttons) override;
  void runStateChanged(varko::RunState state) override;
  void setFoundGridShown(bool shown) override;
  void setStatusColour(varko::StatusColour colour) override { SetStatusColour(colour); }
  void setReplaceShown(bool on) override;
  void fitFoundColumns() override { FitFoundColumns(); }
  void widenFoundTextColumn() override;
  void focusStringField() override;
  void focusFoundGrid() override;
  void setSpeedDisplayItem(varko::SpeedDisplayItem item) override;
  void setLoadMethodItem(varko::LoadMethodItem item) override;

  // Handlers.
  void btnGoClick();
  void btnStopClick();
  void btnSelectClick();
  void btnFontMinusClick();
  void btnFontPlusClick();
  void btnResizeVerticalClick();
  void btnSetupOptionsClick();
  void btnCurrentClick();
  void btnBrowseClick();
  void edtFolderDblClick();

protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // A folder dropped on the window becomes the folder to search.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  TfrmVarko1(varko::SearchInputSet* inputs, std::unique_ptr<varko::SearchInputSet> ownInputs,
             const QString& settingsFile, QWidget* parent);
  void FormCreate();
  void FormShow();
  // The controls and their wiring (TfrmVarko1Layout.cpp).
  void buildWindow();
  QWidget* buildBottomBar();
  QWidget* buildSelectPage();
  QWidget* buildMainOptions();
  QWidget* buildDateOptions();
  QWidget* buildViewOptions();
  QWidget* buildExtraOptions();
  void buildFoundGrid();
  void PageControl1Change(int index);
  void PageControl2Change(int index);
  void changeResultsFont(int size);
  int foundGridWidth() const;
  void runHook(const std::function<void()>& hook);
  void editFieldClick(QLineEdit* field);
  void editFieldExit(QLineEdit* field);
  varko::FieldTexts fieldTexts() const;
  QString pickFolder(const QString& startFolder);
  QString currentFolder() const;

  // Bottom bar.
  QPushButton* btnFontMinus = nullptr;
  QPushButton* btnFontPlus = nullptr;
  QLabel* lblFont = nullptr;
  QPushButton* btnSelect = nullptr;
  QPushButton* btnGo = nullptr;
  QPushButton* btnStop = nullptr;
  QLabel* lblProgress2 = nullptr;
  QLabel* lblFile = nullptr;
  QLabel* lblAdvancedVals = nullptr;
  QFrame* shapeReplaceOn = nullptr;
  QLabel* lblReplaceOn = nullptr;
  QPushButton* btnView = nullptr;
  QPushButton* btnPrint = nullptr;
  QToolButton* btnResizeVertical = nullptr;

  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSelect = nullptr;
  QWidget* TabMatches = nullptr;
  FoundGridView* grdFound = nullptr;

  // "Select" page.
  QLabel* Image1 = nullptr;
  QPushButton* btnTips = nullptr;
  QPushButton* btnAdvancedInfo = nullptr;
  QPushButton* btnCurrent = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* edtFolder = nullptr;
  QPushButton* btnBrowse = nullptr;
  QLabel* lblFolderCount = nullptr;
  QCheckBox* cbxAdvancedFolders = nullptr;
  QToolButton* ImageFolder = nullptr;
  QLabel* lblpAdvancedFolder = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* edtFileSpec = nullptr;
  QLabel* lblFilespecCount = nullptr;
  QCheckBox* cbxAdvancedFileSpec = nullptr;
  QToolButton* ImageFilespec = nullptr;
  QLabel* lblpAdvancedFilespec = nullptr;
  QCheckBox* cbxSubFolders = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* edtString = nullptr;
  QToolButton* btnHistory = nullptr;
  QLabel* lblStringsCount = nullptr;
  QCheckBox* cbxAdvancedStrings = nullptr;
  QToolButton* ImageString = nullptr;
  QLabel* lblpAdvancedString = nullptr;
  QLabel* ImageSwitchOff = nullptr;
  QLabel* ImageSwitchOn = nullptr;
  QTabWidget* PageControl2 = nullptr;
  QPushButton* btnSetupOptions = nullptr;
  QPushButton* btnReplace = nullptr;

  // "Main options".
  QLabel* Label6 = nullptr;
  QCheckBox* cbxCasefl = nullptr;
  QCheckBox* cbxMatchWholeWordsOnly = nullptr;
  QCheckBox* cbxSearchFilename = nullptr;
  QCheckBox* cbxListAllFilenames = nullptr;
  QCheckBox* cbxCopyToCB = nullptr;
  QCheckBox* cbxOmitBinBak = nullptr;
  QCheckBox* cbxOmitVarkoSR = nullptr;
  QCheckBox* cbxFast = nullptr;
  QCheckBox* cbxGoogleFind = nullptr;
  QCheckBox* cbxRegularExpressions = nullptr;
  QCheckBox* cbxReuseFileSearchList = nullptr;
  // "Date options".
  QCheckBox* cbxEnableDateSelections = nullptr;
  QLineEdit* edtSelDate1 = nullptr;
  QLineEdit* edtSelDate2 = nullptr;
  QLineEdit* edtSelTime1 = nullptr;
  QLineEdit* edtSelTime2 = nullptr;
  QPushButton* btnSelDate1 = nullptr;
  QPushButton* btnSelDate2 = nullptr;
  QPushButton* btnSelTime1 = nullptr;
  QPushButton* btnSelTime2 = nullptr;
  QDateEdit* DateTimePicker1 = nullptr;
  // "View etc options".
  QCheckBox* cbxViewWindowCourier = nullptr;
  QCheckBox* cbxTestInfo = nullptr;
  QCheckBox* cbxAsciiTextTest = nullptr;
  QCheckBox* cbxListSkipped = nullptr;
  QCheckBox* cbxRespectGitignore = nullptr;
  QLabel* lblExcludeFolders = nullptr;
  QLineEdit* edtExcludeFolders = nullptr;
  QCheckBox* cbxAlwaysUseAdvancedFolderScan = nullptr;
  QCheckBox* cbxShowAdvancedButtons = nullptr;
  QLabel* Label7 = nullptr;
  QComboBox* cbxLoadFromFileMethod = nullptr;
  QLabel* Label8 = nullptr;
  QComboBox* cmbSpeedDisplay = nullptr;
  QLabel* Label9 = nullptr;
  QPushButton* btnContactNORV = nullptr;
  // "Extra options".
  QCheckBox* cbxEnableReplace = nullptr;

  std::unique_ptr<varko::SearchInputSet> ownInputs_;  // only for a window run on its own
  varko::SearchInputSet& inputs_;
  varko::Text settingsFile_;
  varko::SearchSession session_;
  FoundTableModel* foundModel_ = nullptr;
  const varko::Clock* clock_ = nullptr;

  varko::RequestList fileSpecsSelection_;
  varko::RequestList stringsSelection_;
  varko::FieldTexts textsAtFocus_;

  int runState_ = varko::kRunIdle;
  bool startingUp_ = true;
  bool firstShowDone_ = false;
  bool changingRunState_ = false;
  bool testInfoArgument_ = false;
  int resultsFontSize_ = 9;
  bool expanded_ = false;
  int savedTop_ = 0;
  int savedHeight_ = 0;
  varko::Text searchStringsText_;
  QString startFolder_;  // given before the first show, which would otherwise take the saved one
};
