#include "TfrmVarkoFolders.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ListWindowParts.h"
#include "lib/Errors.h"

using namespace varko;
using namespace varko::gui;

TfrmVarkoFolders::TfrmVarkoFolders(QWidget* parent, const QString& settingsFile)
    : QDialog(parent),
      settingsFile_(settingsFile.isEmpty() ? toQString(SettingsFileName()) : settingsFile) {
  setObjectName("frmVarkoFolders");
  setWindowTitle("Folders - Advanced Search");

  auto* Label1 = greyLabel("You can search up to 10 folders.", this);
  auto* Label2 = greyLabel(
      "Add Check-mark next to folders that you wish to be in current search", this);
  auto* Label4 = greyLabel("(uncheck to keep in list but not in current search)", this);
  auto* Label3 = greyLabel("Double click a blank line to  browse and set a new folder", this);
  auto* Label5 = greyLabel(
      "Double click a line with folder already to  browse and change the folder, DEL to delete "
      "folder",
      this);
  Label5->setWordWrap(true);

  clbFolders = greenCheckList(this);
  clbFolders->setObjectName("clbFolders");
  clbFolders->setAccessibleName("Folders");
  clbFolders->installEventFilter(this);

  auto* Label6 = new QLabel("These folders will be searched", this);
  QFont bold = Label6->font();
  bold.setBold(true);
  Label6->setFont(bold);
  QPalette green = Label6->palette();
  green.setColor(QPalette::WindowText, toQColor(kGreen));
  Label6->setPalette(green);
  MemoFolders = new QPlainTextEdit(this);
  MemoFolders->setObjectName("MemoFolders");
  MemoFolders->setReadOnly(true);
  Label6->setBuddy(MemoFolders);

  btnSaveFolders = new QPushButton("Save These folders as Default set", this);
  btnFinish = new QPushButton("OK", this);
  btnFinish->setDefault(true);
  btnReloadDefault = new QPushButton("Reset to Saved Defaults", this);

  FileOpenDialog1 = new QFileDialog(this);
  FileOpenDialog1->setFileMode(QFileDialog::Directory);
  FileOpenDialog1->setOption(QFileDialog::ShowDirsOnly);

  auto* left = new QVBoxLayout;
  for (QLabel* label : {Label1, Label2, Label4})
    left->addWidget(label);
  left->addSpacing(8);
  left->addWidget(Label3);
  left->addWidget(Label5);
  left->addWidget(clbFolders, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(Label6);
  right->addWidget(MemoFolders, 1);
  auto* lists = new QHBoxLayout;
  lists->addLayout(left, 3);
  lists->addLayout(right, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnSaveFolders);
  buttons->addWidget(btnReloadDefault);
  buttons->addStretch(1);
  buttons->addWidget(btnFinish);
  auto* all = new QVBoxLayout(this);
  all->addLayout(lists, 1);
  all->addLayout(buttons);
  resize(1057, 528);

  connect(clbFolders, &QListWidget::itemClicked, this, [this] { clbFoldersClick(); });
  // A tick changed from the keyboard counts as a click too, so the memo stays current.
  connect(clbFolders, &QListWidget::itemChanged, this, [this] {
    if (!filling_) clbFoldersClick();
  });
  connect(clbFolders, &QListWidget::doubleClicked, this, [this] { clbFoldersDblClick(); });
  connect(btnFinish, &QPushButton::clicked, this, [this] { btnFinishClick(); });
  connect(btnReloadDefault, &QPushButton::clicked, this, [this] { btnReloadDefaultClick(); });
  connect(btnSaveFolders, &QPushButton::clicked, this, [this] { btnSaveFoldersClick(); });
}

void TfrmVarkoFolders::setFolders(const AdvancedList& folders, int folderMode) {
  folders_ = folders;
  folderMode_ = folderMode;
}

void TfrmVarkoFolders::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  reloaded_.reset();
  FillFolderList();
  TakeFolderList();
  clbFolders->setFocus();
}

bool TfrmVarkoFolders::eventFilter(QObject* watched, QEvent* event) {
  if (watched == clbFolders && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Delete) {
      clbFoldersKeyDown(key);
      return true;
    }
    // The keyboard's way to the folder picker.
    if (key == Qt::Key_F2) {
      clbFoldersDblClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmVarkoFolders::FillFolderList() {
  filling_ = true;
  clbFolders->clear();
  for (int i = 0; i < kAdvancedSlots; ++i) {
    addCheckLine(clbFolders, toQString(folders_.texts[size_t(i)]), folders_.checked[size_t(i)]);
  }
  filling_ = false;
}

void TfrmVarkoFolders::TakeFolderList() {
  QStringList searched;
  for (int i = 0; i < clbFolders->count() && i < kAdvancedSlots; ++i) {
    const QListWidgetItem* item = clbFolders->item(i);
    folders_.texts[size_t(i)] = toText(item->text());
    folders_.checked[size_t(i)] = item->checkState() == Qt::Checked;
    if (folders_.checked[size_t(i)]) searched << item->text();
  }
  MemoFolders->setPlainText(searched.join('\n'));
}

void TfrmVarkoFolders::clbFoldersClick() { TakeFolderList(); }

void TfrmVarkoFolders::clbFoldersDblClick() {
  QListWidgetItem* item = clbFolders->item(currentLine(clbFolders));
  if (!item) return;
  FileOpenDialog1->setDirectory(item->text());
  FileOpenDialog1->selectFile(QString());
  if (FileOpenDialog1->exec() != QDialog::Accepted) return;
  const QStringList chosen = FileOpenDialog1->selectedFiles();
  if (chosen.isEmpty()) return;
  filling_ = true;
  item->setText(chosen.first());
  filling_ = false;
}

void TfrmVarkoFolders::clbFoldersKeyDown(int key) {
  if (key != Qt::Key_Delete) return;
  QListWidgetItem* item = clbFolders->item(currentLine(clbFolders));
  if (!item) return;
  filling_ = true;
  item->setText(QString());
  item->setCheckState(Qt::Unchecked);
  filling_ = false;
}

void TfrmVarkoFolders::btnFinishClick() {
  TakeFolderList();
  accept();
}

void TfrmVarkoFolders::btnReloadDefaultClick() {
  reloaded_ = LoadSavedSettings(toText(settingsFile_));
  folders_ = reloaded_->folders;
  folderMode_ = reloaded_->folderMode;
  FillFolderList();
  TakeFolderList();  // the list now equals the slots; this only brings the memo up to date
}

void TfrmVarkoFolders::btnSaveFoldersClick() {
  TakeFolderList();
  try {
    WriteSavedFolders(toText(settingsFile_), folders_, folderMode_);
  } catch (const EIniFileException& e) {
    showSettingsError(this, toQString(e.text()));
  }
}
