#pragma once
// "Filespec - Advanced  Search": the eleven advanced file specification slots.
#include <QDialog>
#include <optional>

#include "setup/SearchSetup.h"
#include "setup/Settings.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TfrmVarkoFileSpec : public QDialog {
  Q_OBJECT
public:
  // An empty settingsFile means the file beside the executable.
  explicit TfrmVarkoFileSpec(QWidget* parent = nullptr, const QString& settingsFile = QString());

  // Before exec(): the slots to edit and the filespec mode the save button writes.
  void setFileSpecs(const varko::AdvancedList& fileSpecs, int fileSpecMode);
  // After exec(), whichever way the window closed: the slots as last taken from the list.
  const varko::AdvancedList& fileSpecs() const { return fileSpecs_; }
  int fileSpecMode() const { return fileSpecMode_; }
  // Set when "Reset to Saved Defaults" read the saved setup again during this showing: the
  // caller takes over all of it (modes, folder list) before it takes fileSpecs().
  const std::optional<varko::SavedSettings>& reloadedSettings() const { return reloaded_; }

  QLineEdit* edtFilespec = nullptr;
  QPushButton* btnAdd = nullptr;
  QListWidget* clbFilespec = nullptr;
  QPlainTextEdit* memoFileSpec = nullptr;
  QPushButton* btnSaveFilespec = nullptr;
  QPushButton* btnFinish = nullptr;
  QPushButton* btnReloadDefault = nullptr;

protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void FillFilespecList();
  void TakeFilespecList();
  void clbFilespecClick();
  void clbFilespecKeyDown(int key);
  void btnAddClick();
  void btnFinishClick();
  void btnReloadDefaultClick();
  void btnSaveFilespecClick();

  QString settingsFile_;
  varko::AdvancedList fileSpecs_;
  int fileSpecMode_ = varko::kSimpleMode;
  std::optional<varko::SavedSettings> reloaded_;
  bool filling_ = false;  // list changes made by the window itself are not user clicks
};
