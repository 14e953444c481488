#pragma once
// "Strings - Advanced Search": the find strings of the string table, one per line.
#include <QDialog>
#include <optional>

#include "setup/SearchSetup.h"
#include "setup/Settings.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TfrmVarkoStrings : public QDialog {
  Q_OBJECT
public:
  // The window edits the caller's table, which must outlive it. An empty settingsFile means
  // the file beside the executable.
  explicit TfrmVarkoStrings(varko::StringTable& strings, QWidget* parent = nullptr,
                            const QString& settingsFile = QString());

  // Before exec(): the main window's simple string, which "Reset to Saved Defaults" uses when
  // find string 1 is empty.
  void setSimpleString(const QString& text) { simpleString_ = text; }
  // Set when "Reset to Saved Defaults" read the saved setup again during this showing: the
  // caller takes over its modes and lists.
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

  varko::StringTable& strings_;
  QString settingsFile_;
  QString simpleString_;
  std::optional<varko::SavedSettings> reloaded_;
};
