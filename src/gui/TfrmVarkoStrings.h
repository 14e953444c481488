#pragma once
// "Strings - Advanced Search": the find strings of the string table, one per line.
//
// Use: showStrings() with a copy of the table; it returns the table as the window left it and any
// saved setup read again, which the caller applies whichever way the window closed (a reset may
// have filled string 1). Tests may instead setUp(), show(), drive the controls and read choice().
#include <QDialog>
#include <optional>

#include "setup/SearchSetup.h"
#include "setup/Settings.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// What the user chose.
struct StringsChoice {
  varko::StringTable strings;
  // Set when "Reset to Saved Defaults" read the saved setup again: the caller takes over its
  // modes and lists.
  std::optional<varko::SavedSettings> reloadedSettings;
};

class TfrmVarkoStrings : public QDialog {
  Q_OBJECT
public:
  // An empty settingsFile means the file beside the executable.
  explicit TfrmVarkoStrings(QWidget* parent = nullptr, const QString& settingsFile = QString());

  // Sets up, shows the window modally and returns the choice.
  StringsChoice showStrings(const varko::StringTable& strings, const QString& simpleString);
  // The table to edit and the main window's simple string, which "Reset to Saved Defaults" uses
  // when find string 1 is empty.
  void setUp(const varko::StringTable& strings, const QString& simpleString);
  StringsChoice choice() const { return {strings_, reloaded_}; }
  const std::optional<varko::SavedSettings>& reloadedSettings() const { return reloaded_; }

  QPlainTextEdit* MemoStrings = nullptr;
  QPushButton* btnFinish = nullptr;
  QPushButton* btnReloadDefault = nullptr;
  QPushButton* btnSaveStrings = nullptr;
  // Kept from an earlier design of the window; hidden and not in use.
  QListWidget* clbStrings = nullptr;
  QPushButton* btnEditStrings = nullptr;
  QPushButton* btnEdtChecks = nullptr;

protected:
  void showEvent(QShowEvent* event) override;

private:
  bool TakeStringLines();
  void btnFinishClick();
  void btnReloadDefaultClick();

  varko::StringTable strings_;
  QString settingsFile_;
  QString simpleString_;
  std::optional<varko::SavedSettings> reloaded_;
};
