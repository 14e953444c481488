#pragma once
// "Folders - Advanced Search": the eleven advanced folder slots with their check marks.
#include <QDialog>
#include <optional>

#include "setup/SearchSetup.h"
#include "setup/Settings.h"

class QFileDialog;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TfrmVarkoFolders : public QDialog {
  Q_OBJECT
public:
  // An empty settingsFile means the file beside the executable.
  explicit TfrmVarkoFolders(QWidget* parent = nullptr, const QString& settingsFile = QString());

  // Before exec(): the slots to edit and the folder mode the save button writes.
  void setFolders(const varko::AdvancedList& folders, int folderMode);
  // After exec(), whichever way the window closed: the slots as last taken from the list.
  const varko::AdvancedList& folders() const { return folders_; }
  int folderMode() const { return folderMode_; }
  // Set when "Reset to Saved Defaults" read the saved setup again during this showing: the
  // caller takes over all of it (modes, filespec list) before it takes folders().
  const std::optional<varko::SavedSettings>& reloadedSettings() const { return reloaded_; }

  QListWidget* clbFolders = nullptr;
  QPlainTextEdit* MemoFolders = nullptr;
  QPushButton* btnSaveFolders = nullptr;
  QPushButton* btnFinish = nullptr;
  QPushButton* btnReloadDefault = nullptr;
  QFileDialog* FileOpenDialog1 = nullptr;

protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void FillFolderList();
  void TakeFolderList();
  void clbFoldersClick();
  void clbFoldersDblClick();
  void clbFoldersKeyDown(int key);
  void btnFinishClick();
  void btnReloadDefaultClick();
  void btnSaveFoldersClick();

  QString settingsFile_;
  varko::AdvancedList folders_;
  int folderMode_ = varko::kSimpleMode;
  std::optional<varko::SavedSettings> reloaded_;
  bool filling_ = false;  // list changes made by the window itself are not user clicks
};
