#pragma once
// The folders and filespecs windows are one window twice: the eleven advanced slots as a list of
// checkable lines under the window's own help, the searched entries in a memo beside it, and
// Save / Reset to Saved Defaults / OK below. Each window adds only what differs.
//
// Use: set the slots and mode before exec(); afterwards, whichever way the window closed, read
// the slots as last taken from the list and any saved setup read again.
#include <QDialog>
#include <optional>

#include "lib/Text.h"
#include "setup/SearchSetup.h"
#include "setup/Settings.h"

class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

class AdvancedListWindow : public QDialog {
  Q_OBJECT
public:
  // Set when "Reset to Saved Defaults" read the saved setup again during this showing: the
  // caller takes over all of it (modes, the other list) before it takes the slots.
  const std::optional<varko::SavedSettings>& reloadedSettings() const { return reloaded_; }

  QPushButton* btnFinish = nullptr;
  QPushButton* btnReloadDefault = nullptr;

protected:
  // What tells the two windows apart, beside their own controls.
  struct Look {
    const char* windowName;
    QString title;
    const char* listName;
    QString listAccessibleName;
    const char* memoName;
    QString memoHeading;
    QString saveCaption;
    // Blank slots as empty lines (folders) or left out, the others trimmed (filespecs).
    bool blankLinesShown;
    // What an empty first slot shows; nothing when empty.
    varko::Text firstSlotDefault;
    // The memo's lines: the entries the search would use.
    varko::TextList (*searched)(const varko::AdvancedList& entries);
    // "Save These ... as Default set".
    void (*writeSaved)(const varko::Text& settingsFile, const varko::AdvancedList& entries, int mode);
    // This window's part of the saved setup, for "Reset to Saved Defaults".
    varko::AdvancedList varko::SavedSettings::*savedList;
    varko::InputMode varko::SavedSettings::*savedMode;
  };
  // An empty settingsFile means the file beside the executable.
  AdvancedListWindow(QWidget* parent, const QString& settingsFile, const Look& look);

  void setEntries(const varko::AdvancedList& entries, int mode);
  const varko::AdvancedList& entries() const { return entries_; }
  int mode() const { return mode_; }

  // The window's help goes here, above the list.
  QVBoxLayout* helpColumn() const { return helpColumn_; }
  QListWidget* list() const { return list_; }
  QPlainTextEdit* memo() const { return memo_; }
  QPushButton* saveButton() const { return btnSave_; }
  // Changes of a line that are no user click: the slots are taken later.
  void setLineText(QListWidgetItem* item, const QString& text);
  void addLine(const QString& text, bool checked);
  // The line the list's actions apply to: the selected one, or line 0 when none is.
  QListWidgetItem* currentItem() const;

  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void FillList();
  void TakeList();
  void listKeyDown(int key);
  void btnFinishClick();
  void btnReloadDefaultClick();
  void btnSaveClick();

  const Look look_;
  QString settingsFile_;
  QVBoxLayout* helpColumn_ = nullptr;
  QListWidget* list_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  QPushButton* btnSave_ = nullptr;
  varko::AdvancedList entries_;
  int mode_ = varko::kSimpleMode;
  std::optional<varko::SavedSettings> reloaded_;
  bool filling_ = false;  // list changes made by the window itself are not user clicks
};
