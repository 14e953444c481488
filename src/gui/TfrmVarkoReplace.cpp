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
#include "lib/DateTime.h"
#include "lib/Library.h"
#include "save/UndoManifest.h"
#include "results/EditFileCommand.h"
#include "setup/StringSets.h"

using namespace varko;
using namespace varko::gui;

namespace {

constexpr char16_t kStringsTextHeading[] = u"Replace - Strings to find:\r\n";

Text cellText(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? toText(item->text()) : Text();
}

}  // namespace

TfrmVarkoReplace::TfrmVarkoReplace(QWidget* parent) : QDialog(parent) {
  buildWindow();

  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(cbxDoReplace, &QCheckBox::toggled, this, [this] { ApplyReplaceSwitch(); });
  connect(edtNumStrings, &QLineEdit::editingFinished, this, [this] { edtNumStringsExit(); });
  connect(btnLoadFindReplaceSet, &QPushButton::clicked, this, [this] { btnLoadFindReplaceSetClick(); });
  connect(btnEditFindReplaceSet, &QPushButton::clicked, this, [this] { btnEditFindReplaceSetClick(); });
  connect(btnUndoLastReplace, &QPushButton::clicked, this, [this] { btnUndoLastReplaceClick(); });
  connect(btnReplace, &QPushButton::clicked, this, [this] { btnReplaceClick(); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });
  // The grid is left when the focus goes outside it and its cell editors (or the window).
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    if (inGrid(old) && !inGrid(now)) grdReplaceExit();
  });

  chooseFile = [this](const QString& startFolder) {
    return QFileDialog::getOpenFileName(this, QString(), startFolder);
  };
  editFile = [this](const Text& fileName) {
    const EditFilesCommand command = xcEditFileCommand(fileName);
    Text error;
    if (!Launcher::launch(command.launch, error)) message(toQString(command.FailureText(error)));
  };
}

void TfrmVarkoReplace::setUp(const ReplaceOptionsInput& input) {
  hasInput_ = true;
  table_ = input.table;
  options_ = input.options;
  stringSetFileName_ = input.stringSetFileName;
  currentFindString_ = input.currentFindString;
  firstAdvancedFolder_ = input.firstAdvancedFolder;
  outcome_ = ReplaceOptionsOutcome();
  replaceFlag_ = false;
  closing_ = false;
  gridEdited_ = false;
}

ReplaceOptionsOutcome TfrmVarkoReplace::showOptions(const ReplaceOptionsInput& input) {
  setUp(input);
  if (QScreen* screen = this->screen()) {
    const QPoint centre = screen->availableGeometry().center();
    move(centre.x() - width() / 2, centre.y() - height() / 2);
  }
  exec();
  return outcome();
}

ReplaceOptionsOutcome TfrmVarkoReplace::outcome() const {
  ReplaceOptionsOutcome result = outcome_;
  result.replaceOn = replaceFlag_;
  result.table = table_;
  result.options = options_;
  result.stringSetFileName = stringSetFileName_;
  return result;
}

bool TfrmVarkoReplace::event(QEvent* event) {
  // Every activation resets, also when a box this window opened closes; not while the
  // Replace button is closing the window.
  if (event->type() == QEvent::WindowActivate && hasInput_ && !closing_) FormActivate();
  return QDialog::event(event);
}

bool TfrmVarkoReplace::inGrid(const QWidget* widget) const {
  return widget && (widget == grdReplace || grdReplace->isAncestorOf(widget));
}

void TfrmVarkoReplace::message(const QString& text) {
  QMessageBox box(QMessageBox::Information, QApplication::applicationName(), text, QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  box.exec();
  reactivate();
}

void TfrmVarkoReplace::reactivate() {
  // Window managers give the activation back when a box closes, some platforms do not: asked
  // for here so that every box resets the window alike.
  if (isVisible()) activateWindow();
}

void TfrmVarkoReplace::setReplaceFlag(bool on) {
  replaceFlag_ = on;
  if (showReplaceOn) showReplaceOn(on);
}

void TfrmVarkoReplace::FormActivate() {
  cbxDoReplace->setChecked(false);
  cbxQueryFile->setChecked(true);
  cbxQueryFile->setEnabled(false);
  cbxQueryLine->setChecked(true);
  cbxPreserveSpaces->setChecked(false);
  setReplaceFlag(false);
  options_.queryFile = true;
  options_.queryLine = true;
  ShowStringTable();
  ApplyReplaceSwitch();
  gridEdited_ = false;
}

void TfrmVarkoReplace::ApplyReplaceSwitch() {
  replaceFlag_ = cbxDoReplace->isChecked();
  if (replaceFlag_) setReplaceFlag(true);
  for (QWidget* w : std::initializer_list<QWidget*>{cbxQueryFile, cbxQueryLine, cbxPreserveSpaces, Label11, Label7,
                                                    Label10})
    w->setVisible(replaceFlag_);
  btnReplace->setText(replaceFlag_ ? "Replace" : "Search");
}

void TfrmVarkoReplace::setGridRows(int rows) {
  grdReplace->setRowCount(std::clamp(rows, 1, kMaxStrings));
}

void TfrmVarkoReplace::ShowStringTable() {
  StringTable& table = table_;
  filling_ = true;
  if (table.count <= 0) {
    setGridRows(1);
    grdReplace->setItem(0, 0, new QTableWidgetItem(toQString(currentFindString_)));
    grdReplace->setItem(0, 1, new QTableWidgetItem(toQString(currentFindString_)));
    table.find(1) = currentFindString_;
    table.replace(1) = currentFindString_;
    table.count = 1;
  } else {
    const int rows = std::min(table.count, kMaxStrings);
    setGridRows(rows);
    for (int r = 0; r < rows; ++r) {
      grdReplace->setItem(r, 0, new QTableWidgetItem(toQString(table.find(r + 1))));
      grdReplace->setItem(r, 1, new QTableWidgetItem(toQString(table.replace(r + 1))));
    }
  }
  showCount();
  edtNumStrings->setText(QString::number(table.count));
  filling_ = false;
  gridEdited_ = false;
}

void TfrmVarkoReplace::showCount() {
  lblFindStrAmx->setText(QString("Number strings to search for=%1").arg(table_.count));
}

void TfrmVarkoReplace::TakeGridStrings() {
  StringTable& table = table_;
  if (gridEdited_) {
    // The rows shown holding a find string become the pairs in use, in order, so that pairs
    // typed below the old count are used and a cleared or hidden row does not come back.
    std::vector<std::array<Text, 2>> pairs;
    for (int r = 0; r < grdReplace->rowCount(); ++r) {
      Text find = cellText(grdReplace, r, 0);
      if (!xcIsBlank(find)) pairs.push_back({std::move(find), cellText(grdReplace, r, 1)});
    }
    for (int n = 1; n <= kMaxStrings; ++n) {
      const bool used = n <= int(pairs.size());
      table.find(n) = used ? pairs[size_t(n - 1)][0] : Text();
      table.replace(n) = used ? pairs[size_t(n - 1)][1] : Text();
    }
    table.count = int(pairs.size());
  }
  outcome_.strings = PrepareAdvancedStrings(table);
  outcome_.stringsText = kStringsTextHeading + outcome_.strings.text;
  outcome_.stringsTaken = true;
}

void TfrmVarkoReplace::grdReplaceExit() {
  if (!hasInput_) return;
  if (gridEdited_) {
    TakeGridStrings();
    ShowStringTable();
  }
  gridEdited_ = false;
}

void TfrmVarkoReplace::edtNumStringsExit() {
  int32_t rows = 1;
  if (!xcTryStrToInt(toText(edtNumStrings->text()), rows) || rows < 1) rows = 1;
  if (rows > kMaxStrings) {
    // The table has no room for more pairs.
    message(QString("At most %1 find strings can be used for one search").arg(kMaxStrings));
    rows = kMaxStrings;
    edtNumStrings->setText(QString::number(rows));
  }
  const bool lowered = rows < grdReplace->rowCount();
  setGridRows(rows);
  // Rows no longer shown are no longer used: the count says so at once.
  if (lowered && hasInput_) {
    TakeGridStrings();
    showCount();
  }
}

void TfrmVarkoReplace::Button1Click() {
  message(
      "I will not run this function unless:\r\n\r\n"
      "-I am over 18 years of age\r\n\r\n"
      "-I understand the technical implications of (ID ten T),  PEBKAC, and GIYF\r\n"
      " (if you don't know these go and Google all these before using this replace function)");
}

void TfrmVarkoReplace::ShowSetFileHelp() {
  message(
      "You can load strings for Search/Replace from a file\r\n"
      "File with strings has 2 columns\r\n\r\n"
      "First column has Find strings (cannot be blank)\r\n\r\n"
      "Second column has replace strings\r\n"
      "(optional - only used for Find/Replace)\r\n\r\n"
      "Columns are separated by Tab character\r\n"
      "(strings cannot have Tab in them)");
}

void TfrmVarkoReplace::btnLoadFindReplaceSetClick() {
  ShowSetFileHelp();
  const QString start =
      stringSetFileName_.empty() ? QString() : QFileInfo(toQString(stringSetFileName_)).absolutePath();
  const QString file = chooseFile(start);
  reactivate();
  if (!file.isEmpty()) LoadFindReplaceSet(file);
  edtNumStrings->setText(QString::number(table_.count));
}

void TfrmVarkoReplace::LoadFindReplaceSet(const QString& fileName) {
  // Loaded into a copy: a refused file leaves the table as it was.
  StringTable loaded = table_;
  const StringSetLoad load = xcLoadStringSet(kFindAndReplace, toText(fileName), loaded);
  if (!load.errorText.empty()) {
    message(fileName + "\r\n" + toQString(load.errorText));
    return;
  }
  if (!load.loaded) return;
  if (load.ignoredLines > 0) {
    // Cutting the set short would replace with some pairs silently missing.
    message(QString("%1 holds %2 find strings; a set can hold at most %3.\r\nNothing was loaded.")
                .arg(fileName)
                .arg(kMaxStrings + load.ignoredLines)
                .arg(kMaxStrings));
    return;
  }
  table_ = loaded;
  stringSetFileName_ = toText(fileName);
  ShowStringTable();
}

void TfrmVarkoReplace::btnEditFindReplaceSetClick() {
  ShowSetFileHelp();
  const Text start = xcIsBlank(firstAdvancedFolder_) ? xcExeFolder() : firstAdvancedFolder_;
  const QString file = chooseFile(toQString(start));
  reactivate();
  if (file.isEmpty()) return;
  stringSetFileName_ = toText(file);
  editFile(toText(file));
}

void TfrmVarkoReplace::btnUndoLastReplaceClick() {
  if (QMessageBox::question(this, QApplication::applicationName(),
                            "Put back every file of the last replace run from its backup?\r\n"
                            "A file changed again since then is left as it is.",
                            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
    reactivate();
    return;
  }
  TextList report;
  const UndoResult undo = UndoLastReplace(dataFolder(), report, clock ? *clock : SystemClock::instance());
  QStringList lines;
  for (const Text& line : report) lines << toQString(line);
  if (undo.foundRun)
    lines << QString() << QString("Restored %1 file(s), refused %2").arg(undo.restored).arg(undo.refused);
  message(lines.join("\r\n"));
}

void TfrmVarkoReplace::btnReplaceClick() {
  closing_ = true;
  message(
      "Warning - Multi replace is a new feature, use with care\r\n\r\n"
      "check log and use differences Viewer\r\n\r\n"
      "and note names of backup files\r\n\r\n");
  TakeGridStrings();
  QCoreApplication::processEvents();
  setReplaceFlag(false);
  if (cbxDoReplace->isChecked()) {
    setReplaceFlag(true);
    options_.queryFile = cbxQueryFile->isChecked();
    options_.queryLine = cbxQueryLine->isChecked();
    options_.preserveSpaces = cbxPreserveSpaces->isChecked();
  }
  options_.showLinesNoMatches = cbxShowLinesNoMatches->isChecked();
  options_.showFilesWithNoMatches = cbxShowFilesWithNoMatches->isChecked();
  options_.stringSetFilename = stringSetFileName_;
  accept();
}

void TfrmVarkoReplace::reject() {
  if (hasInput_) setReplaceFlag(false);
  QDialog::reject();
}
