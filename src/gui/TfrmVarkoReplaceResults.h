#pragma once
// "Varko Replace Results": the changes worked out for one file, and the user's decision about
// them (show differences, save, do not save, abort the run). The saving itself is the core's.
#include <QDialog>
#include "replace/FileReplacer.h"
#include "results/ResultTable.h"

class QLabel;
class QPushButton;
class QTableView;
class StringGridModel;

class TfrmVarkoReplaceResults : public QDialog {
  Q_OBJECT
public:
  explicit TfrmVarkoReplaceResults(QWidget* parent = nullptr);
  ~TfrmVarkoReplaceResults() override;

  // The file whose changes the window shows; they must outlive the showing. A new file
  // refills the grid and forgets differences shown for the one before.
  void setChanges(const varko::FileChanges& changes, bool newFile);
  // With no differences viewer, "Show Differences" shows the changes in the program itself
  // instead of asking the core to start the viewer.
  void setInProgramDifferences(bool on) { inProgramDifferences_ = on; }
  // Shows the window modally and returns the button pressed; the close box gives Close.
  varko::FileDecision execDecision();
  // The changes of this file were shown in the program.
  bool differencesShownHere() const { return differencesShownHere_; }

  QLabel* Label1 = nullptr;
  QLabel* lblFilename = nullptr;
  QTableView* grdReplaceLog = nullptr;
  QPushButton* btnShowDiff = nullptr;
  QPushButton* btnSaveFile = nullptr;
  QPushButton* btnDoNotSaveFile = nullptr;
  QPushButton* btnAbort = nullptr;

  void btnShowDiffClick();
  void reject() override;  // the close box and Esc

private:
  void decide(varko::FileDecision decision);
  void showDifferencesHere();

  varko::ResultTable log_{2, 1};
  StringGridModel* logModel_ = nullptr;
  const varko::FileChanges* changes_ = nullptr;
  varko::FileDecision decision_ = varko::FileDecision::Close;
  bool inProgramDifferences_ = false;
  bool differencesShownHere_ = false;
};
