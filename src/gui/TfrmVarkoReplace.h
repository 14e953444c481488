#pragma once
// "Varko Search/Replace Options": turns replacing on for the next run, edits the find/replace
// pairs (typed, or loaded from a string-set file), chooses the confirmations, and undoes the
// last replace run.
//
// Use: showOptions() with copies of the main window's values; it returns what the caller applies
// after the window closes, whichever way it closed (a set loaded before Cancel still changed the
// table; replaceOn starts a replace run). Tests may instead setUp(), show(), drive the controls
// and read outcome().
#include <QDialog>
#include <functional>

#include "lib/Clock.h"
#include "lib/Text.h"
#include "search/SearchRequest.h"
#include "setup/SearchSetup.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// What the window shows and starts from.
struct ReplaceOptionsInput {
  varko::StringTable table;
  varko::ReplaceRunOptions options;
  varko::Text stringSetFileName;
  varko::Text currentFindString;    // fills an empty table
  varko::Text firstAdvancedFolder;  // where "Edit Find/Replace Set in file" opens (blank: the executable's folder)
};

// What the window hands back to the main window.
struct ReplaceOptionsOutcome {
  bool replaceOn = false;  // the replace flag as the window left it
  // TakeGridStrings ran (the button, or leaving an edited grid): the main window's string mode
  // becomes advanced, edtString shows stringsText (also the title's strings text), its hint the
  // strings one a line, lblStringsCount the table's count.
  bool stringsTaken = false;
  varko::Text stringsText;    // "Replace - Strings to find:" CR LF, then the strings joined by ","
  varko::RequestList strings; // the non-blank find strings, in order
  // The input's table, options and set file as the window left them.
  varko::StringTable table;
  varko::ReplaceRunOptions options;
  varko::Text stringSetFileName;
};

class TfrmVarkoReplace : public QDialog {
  Q_OBJECT
public:
  explicit TfrmVarkoReplace(QWidget* parent = nullptr);

  // Shows the window modally on input and returns the outcome.
  ReplaceOptionsOutcome showOptions(const ReplaceOptionsInput& input);
  // The same without showing.
  void setUp(const ReplaceOptionsInput& input);
  ReplaceOptionsOutcome outcome() const;

  // Shows or hides the main window's "Replace On" at once, as the switch changes; display only.
  std::function<void(bool on)> showReplaceOn;
  // Replaceable so that tests need no file dialog or editor: by default a file dialog and the
  // text editor of xcEditFiles. An empty name means cancelled.
  std::function<QString(const QString& startFolder)> chooseFile;
  std::function<void(const varko::Text& fileName)> editFile;
  // The clock of the undo's report; the system clock unless set.
  const varko::Clock* clock = nullptr;

  QFrame* Shape1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label14 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QPushButton* Button1 = nullptr;
  QCheckBox* cbxDoReplace = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QTableWidget* grdReplace = nullptr;
  QLabel* Label12 = nullptr;
  QLineEdit* edtNumStrings = nullptr;
  QPushButton* btnEditFindReplaceSet = nullptr;
  QPushButton* btnLoadFindReplaceSet = nullptr;
  QLabel* Label13 = nullptr;
  QLabel* lblFindStrAmx = nullptr;
  QCheckBox* cbxQueryFile = nullptr;
  QLabel* Label7 = nullptr;
  QCheckBox* cbxQueryLine = nullptr;
  QLabel* Label4 = nullptr;
  QCheckBox* cbxPreserveSpaces = nullptr;
  QLabel* Label11 = nullptr;
  QLabel* Label5 = nullptr;
  QCheckBox* cbxShowLinesNoMatches = nullptr;
  QCheckBox* cbxShowFilesWithNoMatches = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* Label8 = nullptr;
  QPushButton* btnUndoLastReplace = nullptr;
  QPushButton* btnReplace = nullptr;
  QPushButton* btnCancel = nullptr;

  // Handlers, named as the program names them.
  void FormActivate();
  void ApplyReplaceSwitch();
  void ShowStringTable();
  void TakeGridStrings();
  void ShowSetFileHelp();
  void grdReplaceExit();
  void edtNumStringsExit();
  void Button1Click();
  void btnLoadFindReplaceSetClick();
  void btnEditFindReplaceSetClick();
  void btnUndoLastReplaceClick();
  void btnReplaceClick();
  // Loads a string-set file into the table and the grid; a file with more lines than the table
  // holds is refused whole, with a message.
  void LoadFindReplaceSet(const QString& fileName);

  void reject() override;  // "Cancel" and the close box

protected:
  bool event(QEvent* event) override;

private:
  void buildWindow();
  void message(const QString& text);
  void reactivate();
  void setGridRows(int rows);
  void showCount();
  bool inGrid(const QWidget* widget) const;
  void setReplaceFlag(bool on);

  bool hasInput_ = false;  // nothing to show before the first setUp()
  varko::StringTable table_;
  varko::ReplaceRunOptions options_;
  varko::Text stringSetFileName_;
  varko::Text currentFindString_;
  varko::Text firstAdvancedFolder_;
  bool replaceFlag_ = false;
  bool gridEdited_ = false;  // the grid differs from the string table
  bool filling_ = false;     // the grid is being filled from the table: no edit
  bool closing_ = false;  // the Replace button's own boxes must not reset the window
  ReplaceOptionsOutcome outcome_;
};
