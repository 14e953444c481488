#include "VarkoProgram.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>

#include "DateFieldPicker.h"
#include "ResultOpener.h"
#include "TfrmFWindow.h"
#include "TfrmNORVPostcard.h"
#include "TfrmTimePicker.h"
#include "TfrmVarko1.h"
#include "TfrmVarkoEditOptions.h"
#include "TfrmVarkoFileSpec.h"
#include "TfrmVarkoFolders.h"
#include "TfrmVarkoHistory.h"
#include "TfrmVarkoStrings.h"
#include "TfrmVarkoTips.h"
#include "TfrmView2.h"
#include "TfrmText.h"
#include "TfrmVarkoReplace.h"
#include "TfrmVarkoReplaceResults.h"
#include "WindowReplaceQuestions.h"
#include "save/Archive.h"
#include "replace/RunReplacer.h"
#include "results/TextReport.h"
#include "lib/IniFile.h"
#include "lib/Library.h"
#include "results/OpenCommand.h"
#include "MatchMarks.h"
#include "QtText.h"

namespace {
using varko::gui::toQString;
}  // namespace

VarkoProgram::VarkoProgram(const QString& settingsFile, const varko::Text& firstArgument) {
  // The main window first, so that it is the application's main window. Every other window
  // lives as long as it does and is shown when needed.
  frmVarko1_ = std::make_unique<TfrmVarko1>(inputs_, settingsFile);
  TfrmVarko1* frmVarko1 = frmVarko1_.get();
  frmVarko1->setTestInfoArgument(varko::TestInfoSwitch(false, firstArgument));
  const QString settings = toQString(frmVarko1->settingsFileName());

  frmVarkoHistory_ = new TfrmVarkoHistory(frmVarko1);
  frmVarkoFileSpec_ = new TfrmVarkoFileSpec(frmVarko1, settings);
  frmVarkoStrings_ = new TfrmVarkoStrings(frmVarko1, settings);
  frmVarko1->shareGridFindText(gridFindText_);
  frmView2_ = new TfrmView2(gridFindText_, frmVarko1);
  frmVarkoEditOptions_ = new TfrmVarkoEditOptions(frmVarko1);
  frmFWindow_ = new TfrmFWindow(frmVarko1);
  frmVarkoFolders_ = new TfrmVarkoFolders(frmVarko1, settings);
  frmNORVPostcard_ = new TfrmNORVPostcard(frmVarko1);
  frmVarkoTips_ = new TfrmVarkoTips(frmVarko1);
  frmTimePicker_ = new TfrmTimePicker(frmVarko1);
  resultOpener_ = std::make_unique<ResultOpener>(frmVarko1, *frmVarkoEditOptions_);
  frmVarkoReplace_ = new TfrmVarkoReplace(frmVarko1);
  frmVarkoReplaceResults_ = new TfrmVarkoReplaceResults(frmVarko1);
  frmText_ = new TfrmText(frmVarko1);
  frmVarkoReplace_->showReplaceOn = [frmVarko1](bool on) { frmVarko1->setReplaceShown(on); };

  const TfrmVarko1::DateFields dates = frmVarko1->dateFields();
  startDatePicker_ = new DateFieldPicker(dates.startDate, dates.startDateButton, frmVarko1);
  endDatePicker_ = new DateFieldPicker(dates.endDate, dates.endDateButton, frmVarko1);
  startDatePicker_->setDateOrderFields(dates.startDate, dates.endDate);
  endDatePicker_->setDateOrderFields(dates.startDate, dates.endDate);

  wireHooks();
}

VarkoProgram::~VarkoProgram() {
  // The windows go first: the main window works on the inputs kept here.
  frmVarko1_.reset();
}

void VarkoProgram::ViewCurrentFile() {
  TfrmVarko1* frmVarko1 = frmVarko1_.get();
  const varko::ResultTable& table = frmVarko1->session().grdFound();
  const int row = table.currentRow();
  // Ready for a search in the view or an editor, also when the view is already open.
  if (frmVarko1->copyToClipboardOn())
    QGuiApplication::clipboard()->setText(toQString(varko::xcTrim(frmVarko1->searchFieldText())));
  frmView2_->setMatchRules(varko::gui::MatchRulesOf(frmVarko1->session().lineMatcher()));
  frmView2_->viewFile(toQString(table.pathCell(row)), table.lineNumberCell(row), frmVarko1->viewWindowCourierOn());
}

void VarkoProgram::btnHistoryClick() {
  TfrmVarko1* frmVarko1 = frmVarko1_.get();
  varko::SearchSession& session = frmVarko1->session();
  // A text typed but not yet searched is offered as well as the last one searched. In advanced
  // mode the field shows the list of strings, which is no search text of its own.
  if (inputs_.saved.stringMode == varko::kSimpleMode) {
    inputs_.history.AddStringToHistory(frmVarko1->searchFieldText());
    inputs_.history.AddStringToHistory(session.searchString());
  }
  const HistoryChoice choice = frmVarkoHistory_->showHistory(
      {inputs_.history.items(), inputs_.saved.stringMode, inputs_.saved.folders.texts[0], inputs_.strings,
       inputs_.stringSetFileName, inputs_.multipleSearchText});
  // Taken however the window closed: a find set loaded before Cancel is the table now.
  inputs_.strings = choice.strings;
  inputs_.stringSetFileName = choice.stringSetFileName;
  inputs_.multipleSearchText = choice.multipleSearchText;
  if (choice.entryChosen) frmVarko1->setSearchFieldText(choice.entry);
  // The table may have changed by "Use for Searches" or by a loaded find set: the field shows it.
  frmVarko1->PrepareAdvancedStrings();
  frmVarko1->focusSearchButton();
}

void VarkoProgram::takeArguments(const QStringList& arguments) {
  for (const QString& argument : arguments) {
    const QFileInfo info(argument);
    if (info.isDir()) frmVarko1_->setStartFolder(info.absoluteFilePath());
  }
}

void VarkoProgram::btnReplaceClick() {
  TfrmVarko1* frmVarko1 = frmVarko1_.get();
  varko::SearchSession& session = frmVarko1->session();
  if (session.running()) return;
  const ReplaceOptionsOutcome outcome =
      frmVarkoReplace_->showOptions({inputs_.strings, inputs_.replaceOptions, inputs_.stringSetFileName,
                                     session.searchString(), inputs_.saved.folders.texts[0]});
  // Taken however the window closed: a set loaded before Cancel is the table now.
  inputs_.strings = outcome.table;
  inputs_.replaceOptions = outcome.options;
  inputs_.stringSetFileName = outcome.stringSetFileName;
  // The field, its count and the title show what the next run searches for: the pairs taken,
  // or the table as a set file loaded before Cancel left it.
  if (outcome.stringsTaken)
    frmVarko1->TakeReplaceStrings(outcome.stringsText, outcome.strings);
  else
    frmVarko1->PrepareAdvancedStrings();
  if (!outcome.replaceOn) return;

  varko::ReplaceSettings settings;
  settings.archiveFile = varko::xcArchiveFileName();
  settings.settingsFile = frmVarko1->settingsFileName();
  varko::UndoManifest undoManifest(varko::dataFolder(), *frmVarko1);
  WindowReplaceQuestions questions(frmVarko1, *frmVarkoReplaceResults_, settings.settingsFile);
  varko::SearchRequest request = frmVarko1->buildRequest();
  request.replace.stringSetFilename = inputs_.stringSetFileName;
  request.replace.changeLogFilename = varko::ChangeLogFileFor(request);
  varko::RunReplacer replacer(request, settings, *frmVarko1, questions, &undoManifest, false);
  frmVarko1->StartReplaceRun(request, replacer);
}

void VarkoProgram::btnPrintClick() {
  TfrmVarko1* frmVarko1 = frmVarko1_.get();
  varko::SearchSession& session = frmVarko1->session();
  if (session.running()) return;  // the report is of a finished run
  const varko::Text status = frmVarko1->statusLineText();  // before the folder texts are refreshed
  frmVarko1->UpdateFolderSelection();
  const varko::SearchRequest request = frmVarko1->buildRequest();
  varko::ReportHeader header;
  header.stringsText = session.stringsText();
  header.foldersText = session.foldersText();
  header.folderCount = frmVarko1->folderCountText();
  header.fileSpec = frmVarko1->fileSpecFieldText();
  header.statusLine = status;
  header.requestStrings = session.requestStringsText();
  for (const varko::SearchPair& pair : varko::RunPairs(request)) header.findStrings.push_back(pair.find);
  header.caseInsensitive = request.caseInsensitive;
  header.matchedLength = varko::patternMatchLength(session.patterns());
  frmText_->showFor(session.grdFound(), header);
}

void VarkoProgram::wireHooks() {
  TfrmVarko1* frmVarko1 = frmVarko1_.get();
  TfrmVarko1Hooks& hooks = frmVarko1->hooks;
  hooks.showTips = [this](int page) { frmVarkoTips_->showPage(page); };
  hooks.recordUse = [this](const varko::Text& pinifile, const varko::Text& description) {
    frmNORVPostcard_->RecordUse(toQString(pinifile), toQString(description));
  };
  hooks.showFeedback = [this] {
    frmNORVPostcard_->setProgramDescription(toQString(varko::kProgramDescription));
    frmNORVPostcard_->exec();
  };
  hooks.editAdvancedFolders = [this, frmVarko1] {
    frmVarkoFolders_->setFolders(inputs_.saved.folders, inputs_.saved.folderMode);
    frmVarkoFolders_->exec();
    if (frmVarkoFolders_->reloadedSettings()) frmVarko1->adoptSavedSettings(*frmVarkoFolders_->reloadedSettings());
    inputs_.saved.folders = frmVarkoFolders_->folders();
  };
  hooks.editAdvancedFileSpecs = [this, frmVarko1] {
    frmVarkoFileSpec_->setFileSpecs(inputs_.saved.fileSpecs, inputs_.saved.fileSpecMode);
    frmVarkoFileSpec_->exec();
    if (frmVarkoFileSpec_->reloadedSettings()) frmVarko1->adoptSavedSettings(*frmVarkoFileSpec_->reloadedSettings());
    inputs_.saved.fileSpecs = frmVarkoFileSpec_->fileSpecs();
  };
  hooks.editAdvancedStrings = [this, frmVarko1] {
    const StringsChoice choice =
        frmVarkoStrings_->showStrings(inputs_.strings, toQString(frmVarko1->searchFieldText()));
    inputs_.strings = choice.strings;
    if (choice.reloadedSettings) frmVarko1->adoptSavedSettings(*choice.reloadedSettings);
  };
  hooks.showHistory = [this] { btnHistoryClick(); };
  hooks.showReplaceOptions = [this] { btnReplaceClick(); };
  hooks.printResults = [this] { btnPrintClick(); };
  hooks.viewFile = [this] { ViewCurrentFile(); };
  hooks.toggleFileWindow = [this, frmVarko1] {
    const varko::ResultTable& table = frmVarko1->session().grdFound();
    const int row = table.currentRow();
    frmFWindow_->setMatchRules(varko::gui::MatchRulesOf(frmVarko1->session().lineMatcher()));
    frmFWindow_->ToggleFileWindow(toQString(table.pathCell(row)), table.lineNumberCell(row));
  };
  hooks.hideFileWindow = [this] {
    if (frmFWindow_->fileWindowFlag()) frmFWindow_->HideFileWindow();
  };
  hooks.openResult = [this, frmVarko1](int row) {
    const varko::ResultTable& table = frmVarko1->session().grdFound();
    varko::DoubleClickInput input;
    input.row = {table.cell(0, row), table.pathCell(row), table.cell(3, row)};
    input.copyToClipboard = frmVarko1->copyToClipboardOn();
    input.searchString = frmVarko1->searchFieldText();
    input.testInfo = frmVarko1->testInfoOn();
    resultOpener_->open(input, varko::IniFile(frmVarko1->settingsFileName()), [frmVarko1] {
      if (frmVarko1->hooks.viewFile) frmVarko1->hooks.viewFile();
    });
  };
  hooks.pickTime = [this, frmVarko1](int field) {
    QLineEdit* edit = field == 1 ? frmVarko1->dateFields().startTime : frmVarko1->dateFields().endTime;
    frmTimePicker_->pickForField(edit, edit->mapToGlobal(QPoint(0, edit->height())));
  };
}
