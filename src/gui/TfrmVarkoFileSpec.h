#pragma once
// "Filespec - Advanced  Search": the eleven advanced file specification slots; a filespec typed
// in the add box goes into the first blank line.
#include "AdvancedListWindow.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TfrmVarkoFileSpec : public AdvancedListWindow {
  Q_OBJECT
public:
  // An empty settingsFile means the file beside the executable.
  explicit TfrmVarkoFileSpec(QWidget* parent = nullptr, const QString& settingsFile = QString());

  // Before exec(): the slots to edit and the filespec mode the save button writes.
  void setFileSpecs(const varko::AdvancedList& fileSpecs, int fileSpecMode) { setEntries(fileSpecs, fileSpecMode); }
  // After exec(), whichever way the window closed: the slots as last taken from the list.
  const varko::AdvancedList& fileSpecs() const { return entries(); }
  int fileSpecMode() const { return mode(); }

  QListWidget* const clbFilespec;
  QPlainTextEdit* const memoFileSpec;
  QPushButton* const btnSaveFilespec;
  QLineEdit* edtFilespec = nullptr;
  QPushButton* btnAdd = nullptr;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void btnAddClick();
};
