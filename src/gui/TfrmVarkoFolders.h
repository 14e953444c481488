#pragma once
// "Folders - Advanced Search": the eleven advanced folder slots with their check marks; a double
// click (or F2) on a line picks its folder.
#include "AdvancedListWindow.h"

class QFileDialog;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TfrmVarkoFolders : public AdvancedListWindow {
  Q_OBJECT
public:
  // An empty settingsFile means the file beside the executable.
  explicit TfrmVarkoFolders(QWidget* parent = nullptr, const QString& settingsFile = QString());

  // Before exec(): the slots to edit and the folder mode the save button writes.
  void setFolders(const varko::AdvancedList& folders, int folderMode) { setEntries(folders, folderMode); }
  // After exec(), whichever way the window closed: the slots as last taken from the list.
  const varko::AdvancedList& folders() const { return entries(); }
  int folderMode() const { return mode(); }

  QListWidget* const clbFolders;
  QPlainTextEdit* const MemoFolders;
  QPushButton* const btnSaveFolders;
  QFileDialog* FileOpenDialog1 = nullptr;

protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void clbFoldersDblClick();
};
