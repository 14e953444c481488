#pragma once
// "Search History and Multiple Searches": pick an earlier search text, or type or load several
// find strings for one search.
//
// Use: construct once; attach() the main window's string table, string-set file name and
// multiple-search text (they must outlive the window). For the history button call
// showHistory(history oldest first, string mode, first advanced folder slot); afterwards
// historyEntryChosen()/chosenEntry() give the text for edtString, and multipleFindTaken() tells
// that "Use for Searches" replaced the find strings and the multiple-search text.
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

class TfrmVarkoHistory : public QDialog {
  Q_OBJECT
public:
  explicit TfrmVarkoHistory(QWidget* parent = nullptr);

  void attach(varko::StringTable& strings, varko::Text& stringSetFileName, varko::Text& multipleSearchText);
  // Sets what FormShow reads and shows the window modally.
  void showHistory(const varko::TextList& history, int stringMode, const varko::Text& firstAdvancedFolder);
  // What FormShow reads, for a window shown without showHistory().
  void setUp(const varko::TextList& history, int stringMode, const varko::Text& firstAdvancedFolder);

  bool historyEntryChosen() const { return entryChosen_; }
  QString chosenEntry() const { return chosenEntry_; }
  bool multipleFindTaken() const { return multipleTaken_; }

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

  varko::StringTable* strings_ = nullptr;
  varko::Text* stringSetFileName_ = nullptr;
  varko::Text* multipleSearchText_ = nullptr;
  varko::TextList history_;
  int stringMode_ = varko::kSimpleMode;
  varko::Text firstAdvancedFolder_;
  bool entryChosen_ = false;
  QString chosenEntry_;
  bool multipleTaken_ = false;
};
