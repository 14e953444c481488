#pragma once
// "Search History and Multiple Searches": pick an earlier search text, or type or load several
// find strings for one search.
//
// Use: construct once. For the history button call showHistory() with what the window shows; it
// returns what the user chose, which the caller applies whichever way the window closed (a find
// set loaded before Cancel still changed the table). Tests may instead setUp(), show(), drive the
// controls and read choice().
#include <QDialog>
#include <functional>
#include "lib/Text.h"
#include "setup/SearchSetup.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTableWidget;

// What the window shows.
struct HistoryInput {
  varko::TextList history;          // oldest first
  int stringMode = varko::kSimpleMode;
  varko::Text firstAdvancedFolder;  // where "Edit Find Set in file" opens
  varko::StringTable strings;
  varko::Text stringSetFileName;
  varko::Text multipleSearchText;
};

// What the user chose. The table, set file and text are the input's as the window left them.
struct HistoryChoice {
  bool entryChosen = false;  // the entry goes into the main window's string field
  QString entry;
  bool multipleFindTaken = false;  // "Use for Searches" replaced the find strings and the text
  varko::StringTable strings;
  varko::Text stringSetFileName;
  varko::Text multipleSearchText;
};

class TfrmVarkoHistory : public QDialog {
  Q_OBJECT
public:
  explicit TfrmVarkoHistory(QWidget* parent = nullptr);

  // Sets what FormShow reads, shows the window modally and returns the choice.
  HistoryChoice showHistory(const HistoryInput& input);
  // What FormShow reads, for a window shown without showHistory().
  void setUp(const HistoryInput& input);
  const HistoryChoice& choice() const { return choice_; }

  // Replaceable so that tests need no real dialogs; by default a file dialog, a message box and
  // the text editor of xcEditFiles.
  std::function<QString(const QString& startFolder)> chooseFile;
  std::function<void(const QString& text)> showMessage;
  std::function<void(const varko::Text& fileName)> editFile;

  QTabWidget* PageControl1 = nullptr;
  QListWidget* lstbxHistory = nullptr;
  QPushButton* btnOK = nullptr;
  QPushButton* btnCancel = nullptr;
  QLabel* Label1 = nullptr;
  QTableWidget* grdMultipleFind = nullptr;
  QLabel* Label12 = nullptr;
  QLineEdit* edtNumStrings = nullptr;
  QPushButton* btnUseMulti = nullptr;
  QPushButton* btnCancelMulti = nullptr;
  QPushButton* btnEditFindSet = nullptr;
  QPushButton* btnLoadFindSet = nullptr;

  // Handlers, named as the program names them.
  void UseHistoryEntry();
  void edtNumStringsExit();
  void btnUseMultiClick();
  void btnLoadFindSetClick();
  void btnEditFindSetClick();
  void ShowFindSetHelp();

protected:
  void showEvent(QShowEvent* event) override;

private:
  void FormShow();
  void setGridRows(int rows);
  void showStringTable();

  varko::TextList history_;
  int stringMode_ = varko::kSimpleMode;
  varko::Text firstAdvancedFolder_;
  HistoryChoice choice_;
};
