#include "TfrmVarkoStrings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "ListWindowParts.h"
#include "ScreenFit.h"

using namespace varko;
using namespace varko::gui;

TfrmVarkoStrings::TfrmVarkoStrings(QWidget* parent, const QString& settingsFile)
    : QDialog(parent),
      settingsFile_(settingsFile.isEmpty() ? toQString(SettingsFileName()) : settingsFile) {
  setObjectName("frmVarkoStrings");
  setWindowTitle("Strings - Advanced Search");
  setDesignedLook(this);
  fitToScreenWhenShown(this);

  auto* Label1 = greyLabel("You can search up to 200 Strings", this);
  auto* Label3 = greyLabel("Enter the strings to search for - one per line", this);
  auto* Label5 = greyLabel("(blank lines will be ignored)", this);
  MemoStrings = new QPlainTextEdit(this);
  MemoStrings->setObjectName("MemoStrings");
  MemoStrings->setLineWrapMode(QPlainTextEdit::NoWrap);
  setTextColour(MemoStrings, kGreen);
  Label3->setBuddy(MemoStrings);

  btnFinish = new QPushButton("OK", this);
  btnFinish->setDefault(true);
  btnReloadDefault = new QPushButton("Reset to Saved Defaults", this);
  btnReloadDefault->setAutoDefault(false);
  btnSaveStrings = new QPushButton("Save These Strings as Default set", this);
  btnSaveStrings->setEnabled(false);

  clbStrings = new QListWidget(this);
  clbStrings->setAccessibleName("Strings");
  btnEditStrings = new QPushButton("Edit Strings", this);
  btnEdtChecks = new QPushButton("Select subset (check marks)", this);
  auto* Label2 = greyLabel(
      "You can switch modes to add Check-mark next to Strings that you wish to be in current "
      "search",
      this);
  auto* Label4 = greyLabel("(uncheck to keep in list but not in current search)", this);
  for (QWidget* unused : std::initializer_list<QWidget*>{clbStrings, btnEditStrings,
                                                         btnEdtChecks, Label2, Label4})
    unused->hide();

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnReloadDefault);
  buttons->addWidget(btnSaveStrings);
  buttons->addStretch(1);
  buttons->addWidget(btnFinish);
  auto* all = new QVBoxLayout(this);
  all->addWidget(Label1);
  all->addWidget(Label3);
  all->addWidget(Label5);
  all->addWidget(MemoStrings, 1);
  all->addLayout(buttons);
  resize(762, 602);

  connect(btnFinish, &QPushButton::clicked, this, [this] { btnFinishClick(); });
  connect(btnReloadDefault, &QPushButton::clicked, this, [this] { btnReloadDefaultClick(); });
}

void TfrmVarkoStrings::setUp(const StringTable& strings, const QString& simpleString) {
  strings_ = strings;
  simpleString_ = simpleString;
}

StringsChoice TfrmVarkoStrings::showStrings(const StringTable& strings, const QString& simpleString) {
  setUp(strings, simpleString);
  exec();
  return choice();
}

void TfrmVarkoStrings::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  reloaded_.reset();
  MemoStrings->setFocus();
}

bool TfrmVarkoStrings::TakeStringLines() {
  std::vector<Text> lines;
  for (const QString& line : MemoStrings->toPlainText().split('\n')) {
    Text text = toText(line);
    if (!xcIsBlank(text)) lines.push_back(std::move(text));
  }
  // More than the table holds would silently lose strings: the user decides what goes.
  if (lines.size() > size_t(kMaxStrings)) {
    QMessageBox::information(this, windowTitle(),
                             QString("You can search up to %1 strings; the list holds %2.\n"
                                     "Remove some lines, then click OK again.")
                                 .arg(kMaxStrings)
                                 .arg(lines.size()));
    return false;
  }
  for (Text& find : strings_.findStrings)
    find.clear();
  for (size_t i = 0; i < lines.size(); ++i)
    strings_.findStrings[i] = lines[i];
  strings_.count = int(lines.size());
  return true;
}

void TfrmVarkoStrings::btnFinishClick() {
  if (TakeStringLines()) accept();
}

void TfrmVarkoStrings::btnReloadDefaultClick() {
  // The saved setup holds no strings; the reload only brings back the modes and lists.
  reloaded_ = LoadSavedSettings(toText(settingsFile_));
  MemoStrings->clear();
  if (strings_.find(1).empty()) strings_.find(1) = toText(simpleString_);
  QStringList lines;
  for (int n = 1; n <= strings_.count && n <= kMaxStrings; ++n)
    lines << toQString(strings_.find(n));
  MemoStrings->setPlainText(lines.join('\n'));
}
