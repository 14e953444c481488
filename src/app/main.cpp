// Varko64: the application title, the windows created once in their order, and the event loop.
#include <QApplication>
#include <QCheckBox>
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
#include "lib/IniFile.h"
#include "results/GridFind.h"
#include "results/OpenCommand.h"

namespace {
QString toQString(const varko::Text& text) { return QString::fromStdU16String(text); }
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tessel"));

  // The main window first, so that it is the application's main window. Every other window
  // lives as long as it does and is shown when needed.
  auto* frmVarko1 = new TfrmVarko1;
  const varko::Text firstArgument = argc > 1 ? varko::fromUtf8(argv[1]) : varko::Text();
  frmVarko1->setTestInfoArgument(varko::TestInfoSwitch(false, firstArgument));
  const QString settingsFile = toQString(frmVarko1->settingsFileName());

  auto* frmVarkoHistory = new TfrmVarkoHistory(frmVarko1);
  auto* frmVarkoFileSpec = new TfrmVarkoFileSpec(frmVarko1, settingsFile);
  auto* frmVarkoStrings = new TfrmVarkoStrings(frmVarko1->session().strings(), frmVarko1, settingsFile);
  auto* frmView2 = new TfrmView2(varko::xcGridFindText(), frmVarko1);
  auto* frmVarkoEditOptions = new TfrmVarkoEditOptions(frmVarko1);
  auto* frmFWindow = new TfrmFWindow(frmVarko1);
  auto* frmVarkoFolders = new TfrmVarkoFolders(frmVarko1, settingsFile);
  auto* frmNORVPostcard = new TfrmNORVPostcard(frmVarko1);
  auto* frmVarkoTips = new TfrmVarkoTips(frmVarko1);
  auto* frmTimePicker = new TfrmTimePicker(frmVarko1);
  ResultOpener resultOpener(frmVarko1, *frmVarkoEditOptions);

  // The history window's string-set file and multiple-search text last the whole run.
  varko::Text stringSetFileName;
  varko::Text multipleSearchText;
  frmVarkoHistory->attach(frmVarko1->session().strings(), stringSetFileName, multipleSearchText);

  auto* startDatePicker = new DateFieldPicker(frmVarko1->edtSelDate1, frmVarko1->btnSelDate1, frmVarko1);
  auto* endDatePicker = new DateFieldPicker(frmVarko1->edtSelDate2, frmVarko1->btnSelDate2, frmVarko1);
  startDatePicker->setDateOrderFields(frmVarko1->edtSelDate1, frmVarko1->edtSelDate2);
  endDatePicker->setDateOrderFields(frmVarko1->edtSelDate1, frmVarko1->edtSelDate2);

  const auto currentRow = [frmVarko1] { return frmVarko1->session().grdFound().currentRow(); };

  TfrmVarko1Hooks& hooks = frmVarko1->hooks;
  hooks.showTips = [frmVarkoTips](int page) { frmVarkoTips->showPage(page); };
  hooks.recordUse = [frmNORVPostcard](const varko::Text& pinifile, const varko::Text& description) {
    frmNORVPostcard->RecordUse(toQString(pinifile), toQString(description));
  };
  hooks.showFeedback = [frmNORVPostcard] {
    frmNORVPostcard->setProgramDescription(toQString(varko::kProgramDescription));
    frmNORVPostcard->exec();
  };
  hooks.editAdvancedFolders = [frmVarko1, frmVarkoFolders] {
    varko::SavedSettings& saved = frmVarko1->savedSettings();
    frmVarkoFolders->setFolders(saved.folders, saved.folderMode);
    frmVarkoFolders->exec();
    if (frmVarkoFolders->reloadedSettings()) frmVarko1->adoptSavedSettings(*frmVarkoFolders->reloadedSettings());
    frmVarko1->savedSettings().folders = frmVarkoFolders->folders();
  };
  hooks.editAdvancedFileSpecs = [frmVarko1, frmVarkoFileSpec] {
    varko::SavedSettings& saved = frmVarko1->savedSettings();
    frmVarkoFileSpec->setFileSpecs(saved.fileSpecs, saved.fileSpecMode);
    frmVarkoFileSpec->exec();
    if (frmVarkoFileSpec->reloadedSettings()) frmVarko1->adoptSavedSettings(*frmVarkoFileSpec->reloadedSettings());
    frmVarko1->savedSettings().fileSpecs = frmVarkoFileSpec->fileSpecs();
  };
  hooks.editAdvancedStrings = [frmVarko1, frmVarkoStrings] {
    frmVarkoStrings->setSimpleString(frmVarko1->edtString->text());
    frmVarkoStrings->exec();
    if (frmVarkoStrings->reloadedSettings()) frmVarko1->adoptSavedSettings(*frmVarkoStrings->reloadedSettings());
  };
  hooks.showHistory = [frmVarko1, frmVarkoHistory] {
    varko::SavedSettings& saved = frmVarko1->savedSettings();
    frmVarkoHistory->showHistory(frmVarko1->session().history().items(), saved.stringMode, saved.folders.texts[0]);
    if (frmVarkoHistory->historyEntryChosen()) frmVarko1->edtString->setText(frmVarkoHistory->chosenEntry());
    if (frmVarkoHistory->multipleFindTaken()) frmVarko1->PrepareAdvancedStrings();
  };
  hooks.viewFile = [frmVarko1, frmView2, currentRow] {
    const varko::ResultTable& table = frmVarko1->session().grdFound();
    const int row = currentRow();
    frmView2->viewFile(toQString(table.pathCell(row)), table.lineNumberCell(row),
                       frmVarko1->cbxViewWindowCourier->isChecked());
  };
  hooks.toggleFileWindow = [frmVarko1, frmFWindow, currentRow] {
    const varko::ResultTable& table = frmVarko1->session().grdFound();
    const int row = currentRow();
    frmFWindow->ToggleFileWindow(toQString(table.pathCell(row)), table.lineNumberCell(row));
  };
  hooks.hideFileWindow = [frmFWindow] {
    if (frmFWindow->fileWindowFlag()) frmFWindow->HideFileWindow();
  };
  hooks.openResult = [frmVarko1, &resultOpener](int row) {
    const varko::ResultTable& table = frmVarko1->session().grdFound();
    varko::DoubleClickInput input;
    input.row = {table.cell(0, row), table.pathCell(row), table.cell(3, row)};
    input.copyToClipboard = frmVarko1->cbxCopyToCB->isChecked();
    input.searchString = frmVarko1->edtString->text().toStdU16String();
    input.testInfo = frmVarko1->testInfoOn();
    resultOpener.open(input, varko::IniFile(frmVarko1->settingsFileName()), [frmVarko1] {
      if (frmVarko1->hooks.viewFile) frmVarko1->hooks.viewFile();
    });
  };
  hooks.pickTime = [frmVarko1, frmTimePicker](int field) {
    QLineEdit* edit = field == 1 ? frmVarko1->edtSelTime1 : frmVarko1->edtSelTime2;
    frmTimePicker->pickForField(edit, edit->mapToGlobal(QPoint(0, edit->height())));
  };

  frmVarko1->show();
  const int result = app.exec();
  delete frmVarko1;
  return result;
}
