#pragma once
// The replacement's questions asked with the program's windows: the line confirmation box, the
// replace results window, the save question and message boxes.
#include "lib/Text.h"
#include "replace/FileReplacer.h"

class QWidget;
class TfrmVarkoReplaceResults;

class WindowReplaceQuestions : public varko::ReplaceQuestions {
public:
  // parent owns the boxes (the main window); settingsFile names the differences viewer.
  WindowReplaceQuestions(QWidget* parent, TfrmVarkoReplaceResults& results, varko::Text settingsFile);

  varko::ConfirmAnswer confirmLine(const varko::Text& boxText) override;
  varko::FileDecision decideFile(const varko::FileChanges& changes) override;
  bool confirmSaveWithoutDiffs(const varko::Text& text) override;
  void showMessage(const varko::Text& text) override;
  // A large file does not freeze the windows while its lines are worked on.
  void working() override;

private:
  QWidget* parent_;
  TfrmVarkoReplaceResults& results_;
  varko::Text settingsFile_;
  // The results window is still deciding about the same file (after Show Differences, or a
  // save answered No); otherwise the next file's changes come.
  bool sameFile_ = false;
};
