#include "TfrmVarkoFolders.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QShowEvent>
#include <QVBoxLayout>

#include "ListWindowParts.h"

using namespace varko;
using namespace varko::gui;

namespace {

TextList checkedFolders(const AdvancedList& folders) {
  TextList searched;
  for (size_t i = 0; i < size_t(kAdvancedSlots); ++i)
    if (folders.checked[i]) searched.push_back(folders.texts[i]);
  return searched;
}

}  // namespace

TfrmVarkoFolders::TfrmVarkoFolders(QWidget* parent, const QString& settingsFile)
    : AdvancedListWindow(parent, settingsFile,
                         {.windowName = "frmVarkoFolders",
                          .title = "Folders - Advanced Search",
                          .listName = "clbFolders",
                          .listAccessibleName = "Folders",
                          .memoName = "MemoFolders",
                          .memoHeading = "These folders will be searched",
                          .saveCaption = "Save These folders as Default set",
                          .blankLinesShown = true,
                          .firstSlotDefault = Text(),
                          .searched = checkedFolders,
                          .writeSaved = WriteSavedFolders,
                          .savedList = &SavedSettings::folders,
                          .savedMode = &SavedSettings::folderMode}),
      clbFolders(list()),
      MemoFolders(memo()),
      btnSaveFolders(saveButton()) {
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
  QVBoxLayout* help = helpColumn();
  for (QLabel* label : {Label1, Label2, Label4})
    help->addWidget(label);
  help->addSpacing(8);
  help->addWidget(Label3);
  help->addWidget(Label5);

  FileOpenDialog1 = new QFileDialog(this);
  FileOpenDialog1->setFileMode(QFileDialog::Directory);
  FileOpenDialog1->setOption(QFileDialog::ShowDirsOnly);
  resize(1057, 528);

  connect(clbFolders, &QListWidget::doubleClicked, this, [this] { clbFoldersDblClick(); });
}

void TfrmVarkoFolders::showEvent(QShowEvent* event) {
  AdvancedListWindow::showEvent(event);
  if (!event->spontaneous()) clbFolders->setFocus();
}

bool TfrmVarkoFolders::eventFilter(QObject* watched, QEvent* event) {
  // F2 is the keyboard's way to the folder picker.
  if (watched == clbFolders && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
    clbFoldersDblClick();
    return true;
  }
  return AdvancedListWindow::eventFilter(watched, event);
}

void TfrmVarkoFolders::clbFoldersDblClick() {
  QListWidgetItem* item = currentItem();
  if (!item) return;
  FileOpenDialog1->setDirectory(item->text());
  FileOpenDialog1->selectFile(QString());
  if (FileOpenDialog1->exec() != QDialog::Accepted) return;
  const QStringList chosen = FileOpenDialog1->selectedFiles();
  if (chosen.isEmpty()) return;
  setLineText(item, chosen.first());
}
