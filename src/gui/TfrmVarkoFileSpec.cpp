#include "TfrmVarkoFileSpec.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ListWindowParts.h"
#include "lib/Errors.h"

using namespace varko;
using namespace varko::gui;

TfrmVarkoFileSpec::TfrmVarkoFileSpec(QWidget* parent, const QString& settingsFile)
    : QDialog(parent),
      settingsFile_(settingsFile.isEmpty() ? toQString(SettingsFileName()) : settingsFile) {
  setObjectName("frmVarkoFilespec");
  setWindowTitle("Filespec - Advanced  Search");

  auto* Label1 = greyLabel("You can search up to 10 filespecs.", this);
  auto* Label2 = greyLabel(
      "Add Check-mark next to filespecs that you wish to be in current search", this);
  auto* Label4 = greyLabel("(uncheck to keep in list but not in current search)", this);
  auto* Label3 = greyLabel(
      "To add new a Filespec , enter Filespec e.g. *.TXT  in the Add New FileSpec box and click "
      "the add button",
      this);
  Label3->setWordWrap(true);
  auto* Label5 = new QLabel("Add new Filespec", this);
  edtFilespec = new QLineEdit(this);
  edtFilespec->setObjectName("edtFilespec");
  edtFilespec->installEventFilter(this);
  Label5->setBuddy(edtFilespec);
  btnAdd = new QPushButton("Add", this);
  btnAdd->setAutoDefault(false);
  auto* Label6 = greyLabel("To remove a Filespec click on it and press  DEL", this);
  auto* Label7 = greyLabel(
      "Tip - if you select multiple filespecs to search  and one is *.* then the others are "
      "ignored.",
      this);
  Label7->setWordWrap(true);
  auto* Label8 = greyLabel(
      "To change a Filespec, Delete it (press DEL) then add a new one, it will go in the first "
      "blank slot.",
      this);
  Label8->setWordWrap(true);

  clbFilespec = greenCheckList(this);
  clbFilespec->setObjectName("clbFilespec");
  clbFilespec->setAccessibleName("Filespecs");
  clbFilespec->installEventFilter(this);

  auto* Label9 = new QLabel("These Filespecs will be searched", this);
  QFont bold = Label9->font();
  bold.setBold(true);
  Label9->setFont(bold);
  QPalette green = Label9->palette();
  green.setColor(QPalette::WindowText, toQColor(kGreen));
  Label9->setPalette(green);
  memoFileSpec = new QPlainTextEdit(this);
  memoFileSpec->setObjectName("memoFileSpec");
  memoFileSpec->setReadOnly(true);
  Label9->setBuddy(memoFileSpec);

  btnSaveFilespec = new QPushButton("Save These filespecs as Default set", this);
  btnSaveFilespec->setAutoDefault(false);
  btnFinish = new QPushButton("OK", this);
  btnFinish->setDefault(true);
  btnReloadDefault = new QPushButton("Reset to Saved Defaults", this);
  btnReloadDefault->setAutoDefault(false);

  auto* add = new QHBoxLayout;
  add->addWidget(Label5);
  add->addWidget(edtFilespec, 1);
  add->addWidget(btnAdd);
  auto* left = new QVBoxLayout;
  for (QLabel* label : {Label1, Label2, Label4, Label3})
    left->addWidget(label);
  left->addLayout(add);
  for (QLabel* label : {Label6, Label7, Label8})
    left->addWidget(label);
  left->addWidget(clbFilespec, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(Label9);
  right->addWidget(memoFileSpec, 1);
  auto* lists = new QHBoxLayout;
  lists->addLayout(left, 3);
  lists->addLayout(right, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnSaveFilespec);
  buttons->addWidget(btnReloadDefault);
  buttons->addStretch(1);
  buttons->addWidget(btnFinish);
  auto* all = new QVBoxLayout(this);
  all->addLayout(lists, 1);
  all->addLayout(buttons);
  resize(984, 565);

  connect(clbFilespec, &QListWidget::itemClicked, this, [this] { clbFilespecClick(); });
  // A tick changed from the keyboard counts as a click too, so the memo stays current.
  connect(clbFilespec, &QListWidget::itemChanged, this, [this] {
    if (!filling_) clbFilespecClick();
  });
  connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
  connect(btnFinish, &QPushButton::clicked, this, [this] { btnFinishClick(); });
  connect(btnReloadDefault, &QPushButton::clicked, this, [this] { btnReloadDefaultClick(); });
  connect(btnSaveFilespec, &QPushButton::clicked, this, [this] { btnSaveFilespecClick(); });
}

void TfrmVarkoFileSpec::setFileSpecs(const AdvancedList& fileSpecs, int fileSpecMode) {
  fileSpecs_ = fileSpecs;
  fileSpecMode_ = fileSpecMode;
}

void TfrmVarkoFileSpec::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  reloaded_.reset();
  FillFilespecList();
  TakeFilespecList();
}

bool TfrmVarkoFileSpec::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == clbFilespec && key == Qt::Key_Delete) {
      clbFilespecKeyDown(key);
      return true;
    }
    // Enter in the add box adds the filespec instead of closing the window.
    if (watched == edtFilespec && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
      btnAddClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmVarkoFileSpec::FillFilespecList() {
  if (fileSpecs_.texts[0].empty()) fileSpecs_.texts[0] = u"*.*";
  filling_ = true;
  clbFilespec->clear();
  for (int i = 0; i < kAdvancedSlots; ++i) {
    const Text fileSpec = xcTrim(fileSpecs_.texts[size_t(i)]);
    if (fileSpec.empty()) continue;
    addCheckLine(clbFilespec, toQString(fileSpec), fileSpecs_.checked[size_t(i)]);
  }
  filling_ = false;
}

void TfrmVarkoFileSpec::TakeFilespecList() {
  const int lines = clbFilespec->count();
  for (int i = 0; i < kAdvancedSlots; ++i) {
    if (i < lines) {
      const QListWidgetItem* item = clbFilespec->item(i);
      fileSpecs_.texts[size_t(i)] = toText(item->text());
      fileSpecs_.checked[size_t(i)] = item->checkState() == Qt::Checked;
    } else {
      // The slots above the last line are emptied, so a removed filespec cannot come back
      // as a copy of another.
      fileSpecs_.texts[size_t(i)].clear();
      fileSpecs_.checked[size_t(i)] = false;
    }
  }
  QStringList searched;
  for (const Text& fileSpec : PrepareAdvancedFileSpecs(fileSpecs_).items)
    searched << toQString(fileSpec);
  memoFileSpec->setPlainText(searched.join('\n'));
}

void TfrmVarkoFileSpec::clbFilespecClick() { TakeFilespecList(); }

void TfrmVarkoFileSpec::clbFilespecKeyDown(int key) {
  if (key != Qt::Key_Delete) return;
  QListWidgetItem* item = clbFilespec->item(currentLine(clbFilespec));
  if (!item) return;
  filling_ = true;
  item->setText(QString());
  item->setCheckState(Qt::Unchecked);
  filling_ = false;
}

void TfrmVarkoFileSpec::btnAddClick() {
  const QString fileSpec = edtFilespec->text();
  if (xcIsBlank(toText(fileSpec))) return;
  for (int i = 0; i < clbFilespec->count(); ++i) {
    QListWidgetItem* item = clbFilespec->item(i);
    if (item->text().isEmpty()) {
      filling_ = true;
      item->setText(fileSpec);
      filling_ = false;
      return;
    }
  }
  if (clbFilespec->count() >= kAdvancedSlots) {
    QMessageBox::information(
        this, windowTitle(),
        QString("The list is full: it holds up to %1 filespecs.\n"
                "Delete one (click on it and press DEL) to make room for \"%2\".")
            .arg(kAdvancedSlots)
            .arg(fileSpec));
    return;
  }
  filling_ = true;
  addCheckLine(clbFilespec, fileSpec, false);
  filling_ = false;
}

void TfrmVarkoFileSpec::btnFinishClick() {
  TakeFilespecList();
  accept();
}

void TfrmVarkoFileSpec::btnReloadDefaultClick() {
  reloaded_ = LoadSavedSettings(toText(settingsFile_));
  fileSpecs_ = reloaded_->fileSpecs;
  fileSpecMode_ = reloaded_->fileSpecMode;
  FillFilespecList();
  TakeFilespecList();  // brings the memo up to date with the reloaded ticks
}

void TfrmVarkoFileSpec::btnSaveFilespecClick() {
  TakeFilespecList();
  try {
    WriteSavedFileSpecs(toText(settingsFile_), fileSpecs_, fileSpecMode_);
  } catch (const EIniFileException& e) {
    showSettingsError(this, toQString(e.text()));
  }
}
