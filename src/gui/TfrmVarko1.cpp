#include "TfrmVarko1.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QToolButton>

#include "FoundGridView.h"
#include "FoundTableModel.h"
#include "Launcher.h"
#include "MatchMarks.h"
#include "QtColour.h"
#include "QtText.h"
#include "VarkoPictures.h"
#include "lib/Errors.h"
#include "lib/Library.h"
#include "results/EditFileCommand.h"
#include "replace/RunReplacer.h"
#include "results/GridFind.h"

using namespace varko;
using varko::gui::setTextColour;
using varko::gui::toQString;
using varko::gui::toText;

TfrmVarko1::TfrmVarko1(SearchInputSet& inputs, const QString& settingsFile, QWidget* parent)
    : TfrmVarko1(&inputs, nullptr, settingsFile, parent) {}

TfrmVarko1::TfrmVarko1(const QString& settingsFile, QWidget* parent)
    : TfrmVarko1(nullptr, std::make_unique<SearchInputSet>(), settingsFile, parent) {}

TfrmVarko1::TfrmVarko1(SearchInputSet* inputs, std::unique_ptr<SearchInputSet> ownInputs, const QString& settingsFile,
                       QWidget* parent)
    : QMainWindow(parent),
      ownInputs_(std::move(ownInputs)),
      inputs_(inputs ? *inputs : *ownInputs_),
      settingsFile_(settingsFile.isEmpty() ? SettingsFileName() : toText(settingsFile)),
      session_(*this) {
  setObjectName(QStringLiteral("frmVarko1"));
  setAcceptDrops(true);
  buildWindow();
  FormCreate();
}

TfrmVarko1::~TfrmVarko1() {
  // The grid's model watches the run's table: it goes while the table is still there.
  delete grdFound;
}

// ---------------------------------------------------------------------------------------------
// Creation and show.

void TfrmVarko1::FormCreate() {
  startingUp_ = true;
  inputs_.saved = LoadSavedSettings(settingsFile_);
  cbxAsciiTextTest->setChecked(inputs_.saved.asciiTextTest);
  cbxListSkipped->setChecked(inputs_.saved.listSkipped);
  cbxRegularExpressions->setChecked(inputs_.saved.regularExpressions);
  cbxRespectGitignore->setChecked(inputs_.saved.respectGitignore);
  edtExcludeFolders->setText(toQString(inputs_.saved.excludedFolders));
  UpdateFolderSelection();
  FillDateDefaults();
  PageControl2->setCurrentIndex(0);
  grdFound->setResultsFontSize(resultsFontSize_);
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
  cbxAdvancedFolders->setChecked(inputs_.saved.folderMode == kAdvancedMode);
  cbxAdvancedFileSpec->setChecked(inputs_.saved.fileSpecMode == kAdvancedMode);
  cbxAdvancedStrings->setChecked(inputs_.saved.stringMode == kAdvancedMode);
  SetAdvancedColours();
  if (inputs_.saved.folderMode == kSimpleMode && xcIsBlank(toText(edtFolder->text())))
    edtFolder->setText(currentFolder());
  FitFoundColumns();
  setWindowTitle(toQString(kProgramTitle));

  if (firstShowDone_) return;
  firstShowDone_ = true;
  edtFileSpec->setText(QStringLiteral("*.*"));
  UpdateFolderSelection();
  cbxSubFolders->setChecked(false);
  for (QCheckBox* box : {cbxCopyToCB, cbxCasefl, cbxOmitBinBak, cbxOmitVarkoSR}) box->setChecked(true);
  resultsFontSize_ = kResultsFontStart;
  grdFound->setResultsFontSize(resultsFontSize_);
  grdFound->rememberFirstWidths(foundGridWidth());
  SetRunState(kRunIdle);
  FillEmptyFolder();
  UpdateFieldHints();
  SetAdvancedColours();
  ShowAdvancedSwitches();
  PrepareAdvancedFolders();
  // The folder the program was started on ("Open with") wins over the one the settings saved.
  if (!startFolder_.isEmpty()) edtFolder->setText(startFolder_);
  PrepareAdvancedFileSpecs();
  PrepareAdvancedStrings();
  if (inputs_.saved.folderMode == kAdvancedMode || inputs_.saved.fileSpecMode == kAdvancedMode)
    cbxSubFolders->setChecked(true);
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
  showTitle();
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
    grdFound->setMatchRules(gui::MatchRulesOf(session_.lineMatcher()));
    foundModel_->flush();
    SelectFirstResult(session_.grdFound());
  }
}

void TfrmVarko1::PageControl1Change(int index) {
  if (changingRunState_ || startingUp_) return;
  // Leaving the results during a run stops it; it ends completely (" (aborted)") before
  // anything else can start, and then shows its rows.
  if (session_.running()) {
    session_.btnStopClick();
    return;
  }
  SetRunState(index == 0 ? kRunIdle : kRunFinished);
}

void TfrmVarko1::PageControl2Change(int index) {
  if (index == 2) FillDateDefaults();
}

void TfrmVarko1::btnGoClick() {
  if (session_.running()) return;
  searchStringsText_ = inputs_.saved.stringMode == kSimpleMode ? toText(edtString->text()) : stringsSelection_.text;
  const SearchRequest request = buildRequest();
  inputs_.TakeSimpleSearch(request);
  session_.btnGoClick(request);
}

void TfrmVarko1::btnStopClick() { session_.btnStopClick(); }

void TfrmVarko1::TakeReplaceStrings(const Text& stringsText, const RequestList& strings) {
  inputs_.saved.stringMode = kAdvancedMode;
  stringsSelection_ = strings;
  edtString->setText(toQString(stringsText));
  edtString->setToolTip(toQString(AdvancedStringsHint(strings)));
  lblStringsCount->setText(toQString(SetLabelText(inputs_.strings.count, u"String")));
  searchStringsText_ = stringsText;
  showTitle();
  SetAdvancedColours();
  UpdateFieldHints();
}

void TfrmVarko1::StartReplaceRun(const SearchRequest& request, ReplaceHandler& handler) {
  if (session_.running()) return;
  session_.setReplaceHandler(&handler);
  processEvents();
  session_.SetReplaceOffOrOn(varko::ReplaceSwitch::On);
  session_.DoSearch(request);
  session_.setReplaceHandler(nullptr);
}

namespace {
// The first local folder among dropped things, or empty.
QString droppedFolder(const QMimeData* data) {
  if (!data || !data->hasUrls()) return QString();
  for (const QUrl& url : data->urls())
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir()) return url.toLocalFile();
  return QString();
}
}  // namespace

void TfrmVarko1::dragEnterEvent(QDragEnterEvent* event) {
  if (!session_.running() && !droppedFolder(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TfrmVarko1::dropEvent(QDropEvent* event) {
  const QString folder = droppedFolder(event->mimeData());
  if (folder.isEmpty() || session_.running()) return;
  setStartFolder(folder);
  event->acceptProposedAction();
}

void TfrmVarko1::setStartFolder(const QString& folder) {
  if (!firstShowDone_) startFolder_ = folder;
  inputs_.saved.folderMode = kSimpleMode;
  edtFolder->setText(folder);
  SetAdvancedColours();
  UpdateFieldHints();
}

Text TfrmVarko1::statusLineText() const { return toText(lblFile->text()); }
Text TfrmVarko1::folderCountText() const { return toText(lblFolderCount->text()); }
Text TfrmVarko1::fileSpecFieldText() const { return toText(edtFileSpec->text()); }

void TfrmVarko1::btnSelectClick() {
  session_.AbortFindReplace();
  SetRunState(kRunIdle);
}

bool TfrmVarko1::testInfoOn() const { return cbxTestInfo->isChecked() || testInfoArgument_; }

Text TfrmVarko1::searchFieldText() const { return toText(edtString->text()); }

void TfrmVarko1::setSearchFieldText(const QString& text) { edtString->setText(text); }

bool TfrmVarko1::copyToClipboardOn() const { return cbxCopyToCB->isChecked(); }

bool TfrmVarko1::viewWindowCourierOn() const { return cbxViewWindowCourier->isChecked(); }

void TfrmVarko1::focusSearchButton() { btnGo->setFocus(); }

void TfrmVarko1::shareGridFindText(Text& text) { grdFound->shareFindText(text); }

Text& TfrmVarko1::gridFindText() const { return grdFound->findText(); }

SearchRequest TfrmVarko1::buildRequest() const {
  SearchRequest request;
  request.folderMode = inputs_.saved.folderMode;
  request.fileSpecMode = inputs_.saved.fileSpecMode;
  request.stringMode = inputs_.saved.stringMode;
  request.folder = toText(edtFolder->text());
  request.fileSpec = toText(edtFileSpec->text());
  request.searchText = toText(edtString->text());
  Text unused;
  request.selectedFolders = varko::PrepareAdvancedFolders(inputs_.saved.folders, kAdvancedMode, unused);
  request.selectedFileSpecs = varko::PrepareAdvancedFileSpecs(inputs_.saved.fileSpecs);
  request.strings = TablePairs(inputs_.strings);
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
  request.replace = inputs_.replaceOptions;
  request.asciiTextTest = cbxAsciiTextTest->isChecked();
  request.listSkipped = cbxListSkipped->isChecked();
  request.regex = cbxRegularExpressions->isChecked();
  request.respectGitignore = cbxRespectGitignore->isChecked();
  request.excludedFolders = xcSplitFolderNames(toText(edtExcludeFolders->text()));
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

void TfrmVarko1::widenFoundTextColumn() { grdFound->widenTextColumn(foundGridWidth()); }

void TfrmVarko1::focusStringField() { edtString->setFocus(); }

void TfrmVarko1::focusFoundGrid() { grdFound->setFocus(); }

void TfrmVarko1::setSpeedDisplayItem(SpeedDisplayItem item) { cmbSpeedDisplay->setCurrentIndex(item); }

void TfrmVarko1::setLoadMethodItem(LoadMethodItem item) { cbxLoadFromFileMethod->setCurrentIndex(item); }

void TfrmVarko1::SetStatusColour(StatusColour colour) {
  if (colour == StatusColour::Running)
    setTextColour(lblFile, kNavy);
  else if (FieldsChangedSinceFocus(fieldTexts(), textsAtFocus_))
    setTextColour(lblFile, kGrey);
}

FieldTexts TfrmVarko1::fieldTexts() const {
  return {toText(edtFolder->text()), toText(edtFileSpec->text()), toText(edtString->text())};
}

// ---------------------------------------------------------------------------------------------
// Search inputs.

void TfrmVarko1::UpdateFolderSelection() {
  if (inputs_.saved.folderMode == kSimpleMode) return;
  const FolderSelection selection = AdvancedFolderSelection(inputs_.saved.folders);
  edtFolder->setText(toQString(selection.text));
  lblFolderCount->setText(toQString(SetLabelText(selection.count, u"Folder")));
}

void TfrmVarko1::UpdateFieldHints() {
  btnCurrent->setToolTip(toQString(CurrentFolderHint(toText(currentFolder()))));
  edtFolder->setToolTip(toQString(FolderFieldHint(inputs_.saved.folderMode)));
  edtString->setToolTip(toQString(StringFieldHint(inputs_.saved.stringMode)));
}

void TfrmVarko1::FillEmptyFolder() {
  if (inputs_.saved.folderMode != kSimpleMode) return;
  Text folder = varko::FillEmptyFolder(toText(edtFolder->text()), inputs_.saved.folders, xcExeFolder());
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
  varko::PrepareAdvancedFolders(inputs_.saved.folders, inputs_.saved.folderMode, field);
  if (field != toText(edtFolder->text())) edtFolder->setText(toQString(field));
}

void TfrmVarko1::PrepareAdvancedFileSpecs() {
  if (inputs_.saved.fileSpecMode != kAdvancedMode) return;
  fileSpecsSelection_ = varko::PrepareAdvancedFileSpecs(inputs_.saved.fileSpecs);
  edtFileSpec->setText(toQString(fileSpecsSelection_.text));
  lblFilespecCount->setText(toQString(SetLabelText(static_cast<int32_t>(fileSpecsSelection_.items.size()), u"Filespec")));
}

void TfrmVarko1::PrepareAdvancedStrings() {
  if (inputs_.saved.stringMode != kAdvancedMode) return;
  stringsSelection_ = varko::PrepareAdvancedStrings(inputs_.strings);
  edtString->setText(toQString(stringsSelection_.text));
  edtString->setToolTip(toQString(AdvancedStringsHint(stringsSelection_)));
  lblStringsCount->setText(toQString(SetLabelText(inputs_.strings.count, u"String")));
  searchStringsText_ = stringsSelection_.text;
  showTitle();
}

void TfrmVarko1::showTitle() {
  setWindowTitle(toQString(RunStateTitle(runState_, session_.replaceOn(), searchStringsText_)));
}

void TfrmVarko1::ToggleFolderMode() {
  if (inputs_.saved.folderMode == kSimpleMode) {
    inputs_.saved.folderMode = kAdvancedMode;
  } else {
    inputs_.saved.folderMode = kSimpleMode;
    btnCurrent->setEnabled(true);
    btnBrowse->setEnabled(true);
    edtFolder->setText(toQString(KeepFirstEntry(toText(edtFolder->text()))));
  }
  SetAdvancedColours();
  UpdateFieldHints();
}

void TfrmVarko1::ToggleFilespecMode() {
  inputs_.saved.fileSpecMode = inputs_.saved.fileSpecMode == kSimpleMode ? kAdvancedMode : kSimpleMode;
  SetAdvancedColours();
  edtFileSpec->setText(toQString(KeepFirstEntry(toText(edtFileSpec->text()))));
}

void TfrmVarko1::ToggleStringMode() {
  if (inputs_.saved.stringMode == kSimpleMode) {
    inputs_.saved.stringMode = kAdvancedMode;
  } else {
    inputs_.saved.stringMode = kSimpleMode;
    edtString->setText(toQString(KeepFirstEntry(toText(edtString->text()))));
  }
  SetAdvancedColours();
  UpdateFieldHints();
}

void TfrmVarko1::adoptSavedSettings(const SavedSettings& settings) {
  inputs_.saved = settings;
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
  if (inputs_.saved.folderMode != kSimpleMode) return;
  UpdateFolderSelection();
  QString chosen = pickFolder(edtFolder->text());
  if (!chosen.isEmpty()) edtFolder->setText(chosen);
}

void TfrmVarko1::edtFolderDblClick() {
  if (inputs_.saved.folderMode != kSimpleMode) return;
  Text start =
      DoubleClickStartFolder(toText(currentFolder()), toText(edtFolder->text()), inputs_.saved.folders, xcExeFolder());
  QString chosen = pickFolder(toQString(start));
  if (!chosen.isEmpty()) edtFolder->setText(chosen);
}

void TfrmVarko1::runHook(const std::function<void()>& hook) {
  if (hook) hook();
}

// ---------------------------------------------------------------------------------------------
// Window buttons.

void TfrmVarko1::btnFontMinusClick() { changeResultsFont(ResultsFontSmaller(resultsFontSize_)); }

void TfrmVarko1::btnFontPlusClick() { changeResultsFont(ResultsFontLarger(resultsFontSize_)); }

void TfrmVarko1::changeResultsFont(int size) {
  resultsFontSize_ = size;
  lblFont->setText(QString::number(resultsFontSize_));
  grdFound->hide();
  grdFound->setResultsFontSize(resultsFontSize_);
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
  inputs_.saved.asciiTextTest = cbxAsciiTextTest->isChecked();
  inputs_.saved.listSkipped = cbxListSkipped->isChecked();
  inputs_.saved.regularExpressions = cbxRegularExpressions->isChecked();
  inputs_.saved.respectGitignore = cbxRespectGitignore->isChecked();
  inputs_.saved.excludedFolders = toText(edtExcludeFolders->text());
  try {
    WriteSettingsAsDefault(settingsFile_, inputs_.saved);
  } catch (const VarkoError& e) {
    showMessage(e.text());
  }
}

void TfrmVarko1::xcEditFiles(const Text& files) {
  EditFilesCommand command = xcEditFileCommand(files);
  Text error;
  bool started = hooks.launch ? hooks.launch(command.launch, error) : Launcher::launch(command.launch, error);
  if (!started) showMessage(command.FailureText(error));
}

// ---------------------------------------------------------------------------------------------
// Results grid.

void TfrmVarko1::FitFoundColumns() { grdFound->fitColumns(foundGridWidth()); }

int TfrmVarko1::foundGridWidth() const {
  // The grid fills its page; a page in the back keeps a stale size, the one in front is current.
  const QWidget* page = PageControl1->currentWidget();
  return page ? page->width() : grdFound->width();
}

void TfrmVarko1::SelectNextFile() { varko::SelectNextFile(session_.grdFound()); }

void TfrmVarko1::SelectPrevFile() { varko::SelectPrevFile(session_.grdFound()); }
