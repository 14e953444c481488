#pragma once
// The program's windows, created once in their order with the main window first, the search
// inputs they share, and the hooks through which the main window opens the others.
//
// Use: make one after the QApplication (main() does, and so do tests), show main() and run the
// event loop. Every window lives as long as this object; the main window is the parent of all
// the others. The inputs are kept here: the main window works on them, and each other window is
// handed a copy of what it shows and returns what the user chose, which is applied here.
#include <QString>
#include <QStringList>
#include <memory>
#include "lib/Text.h"
#include "setup/SearchInputSet.h"

class DateFieldPicker;
class ResultOpener;
class TfrmFWindow;
class TfrmNORVPostcard;
class TfrmTimePicker;
class TfrmVarko1;
class TfrmVarkoEditOptions;
class TfrmVarkoFileSpec;
class TfrmVarkoFolders;
class TfrmVarkoHistory;
class TfrmVarkoStrings;
class TfrmVarkoTips;
class TfrmView2;
class TfrmVarkoReplace;
class TfrmVarkoReplaceResults;
class TfrmText;

class VarkoProgram {
public:
  // An empty settings file name means the one beside the executable; firstArgument is the first
  // command-line argument ("-v" turns test information on).
  explicit VarkoProgram(const QString& settingsFile = QString(), const varko::Text& firstArgument = varko::Text());
  ~VarkoProgram();
  VarkoProgram(const VarkoProgram&) = delete;
  VarkoProgram& operator=(const VarkoProgram&) = delete;

  TfrmVarko1* main() const { return frmVarko1_.get(); }
  // The command line's arguments after the program name: a folder among them (what a file
  // manager's "Open with" passes) becomes the folder to search.
  void takeArguments(const QStringList& arguments);
  TfrmVarkoHistory* history() const { return frmVarkoHistory_; }
  TfrmVarkoFileSpec* fileSpecs() const { return frmVarkoFileSpec_; }
  TfrmVarkoStrings* strings() const { return frmVarkoStrings_; }
  TfrmView2* view() const { return frmView2_; }
  TfrmVarkoEditOptions* editOptions() const { return frmVarkoEditOptions_; }
  TfrmFWindow* fileWindow() const { return frmFWindow_; }
  TfrmVarkoFolders* folders() const { return frmVarkoFolders_; }
  TfrmNORVPostcard* postcard() const { return frmNORVPostcard_; }
  TfrmVarkoTips* tips() const { return frmVarkoTips_; }
  TfrmTimePicker* timePicker() const { return frmTimePicker_; }
  DateFieldPicker* startDatePicker() const { return startDatePicker_; }
  DateFieldPicker* endDatePicker() const { return endDatePicker_; }
  ResultOpener& resultOpener() const { return *resultOpener_; }
  TfrmVarkoReplace* replaceOptions() const { return frmVarkoReplace_; }
  TfrmVarkoReplaceResults* replaceResults() const { return frmVarkoReplaceResults_; }
  TfrmText* textOutput() const { return frmText_; }

  varko::SearchInputSet& inputs() { return inputs_; }

private:
  void wireHooks();
  void ViewCurrentFile();
  void btnHistoryClick();
  void btnReplaceClick();
  void btnPrintClick();

  varko::SearchInputSet inputs_;
  // Ctrl+F and F3 find the same text in the results grid and in the view window.
  varko::Text gridFindText_;
  std::unique_ptr<TfrmVarko1> frmVarko1_;
  TfrmVarkoHistory* frmVarkoHistory_ = nullptr;
  TfrmVarkoFileSpec* frmVarkoFileSpec_ = nullptr;
  TfrmVarkoStrings* frmVarkoStrings_ = nullptr;
  TfrmView2* frmView2_ = nullptr;
  TfrmVarkoEditOptions* frmVarkoEditOptions_ = nullptr;
  TfrmFWindow* frmFWindow_ = nullptr;
  TfrmVarkoFolders* frmVarkoFolders_ = nullptr;
  TfrmNORVPostcard* frmNORVPostcard_ = nullptr;
  TfrmVarkoTips* frmVarkoTips_ = nullptr;
  TfrmTimePicker* frmTimePicker_ = nullptr;
  DateFieldPicker* startDatePicker_ = nullptr;
  DateFieldPicker* endDatePicker_ = nullptr;
  std::unique_ptr<ResultOpener> resultOpener_;
  TfrmVarkoReplace* frmVarkoReplace_ = nullptr;
  TfrmVarkoReplaceResults* frmVarkoReplaceResults_ = nullptr;
  TfrmText* frmText_ = nullptr;
};
