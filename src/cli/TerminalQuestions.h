#pragma once
// varko-search's terminal: the texts of the program's boxes, the replace questions asked on it,
// and undoing the last replace run.
#include <istream>
#include <ostream>
#include <string>
#include "replace/DifferencesViewer.h"
#include "replace/FileReplacer.h"

namespace varko {

// A text of the program's boxes for the terminal: CR LF becomes LF, trailing breaks go.
std::string TerminalText(const Text& text);

// The replace questions on the terminal (standard error), answered by a line of standard input,
// or all accepted with --yes. The end of the input cancels, as closing a box would.
class TerminalQuestions final : public ReplaceQuestions {
public:
  TerminalQuestions(std::istream& in, std::ostream& err, bool yes, Text settingsFile)
      : in_(in), err_(err), yes_(yes), settingsFile_(std::move(settingsFile)) {}

  ConfirmAnswer confirmLine(const Text& boxText) override {
    if (yes_) return ConfirmAnswer::YesToAll;
    err_ << TerminalText(boxText) << '\n';
    for (;;) {
      std::string answer;
      if (!ask("[y]es, [n]o, [c]ancel, [N]o to all, yes to [A]ll? ", answer)) return ConfirmAnswer::Cancel;
      if (answer == "y") return ConfirmAnswer::Yes;
      if (answer == "n") return ConfirmAnswer::No;
      if (answer == "c") return ConfirmAnswer::Cancel;
      if (answer == "N") return ConfirmAnswer::NoToAll;
      if (answer == "A") return ConfirmAnswer::YesToAll;
    }
  }

  FileDecision decideFile(const FileChanges& changes) override {
    diffPrinted_ = false;
    if (yes_) return FileDecision::Save;
    err_ << "Changes for file " << textToPath(changes.path) << '\n';
    for (const ReplaceLogRow& row : replaceLogRows(changes)) {
      if (row[0].empty() && row[1].empty()) continue;
      err_ << (row[0].empty() ? std::string() : textToPath(row[0]) + "\t") << textToPath(row[1]) << '\n';
    }
    for (;;) {
      std::string answer;
      if (!ask("[s]ave, [n]o: do not save, [d]ifferences, [a]bort? ", answer)) return FileDecision::Close;
      if (answer == "s") return FileDecision::Save;
      if (answer == "n") return FileDecision::DoNotSave;
      if (answer == "a") return FileDecision::Abort;
      if (answer == "d") {
        if (!xcDifferencesViewer(settingsFile_).empty()) return FileDecision::ShowDifferences;
        // No viewer: the differences are shown here, as a diff.
        err_ << textToPath(unifiedDiff(changes));
        diffPrinted_ = true;
      }
    }
  }

  bool confirmSaveWithoutDiffs(const Text& text) override {
    if (yes_ || diffPrinted_) return true;
    err_ << TerminalText(text) << '\n';
    std::string answer;
    return ask("[y]es, [n]o? ", answer) && answer == "y";
  }

  // One write a message: standard error is unbuffered.
  void showMessage(const Text& text) override { err_ << "varko-search: " + TerminalText(text) + '\n' << std::flush; }
  bool asksPerson() const override { return !yes_; }

private:
  bool ask(const char* prompt, std::string& answer) {
    err_ << prompt << std::flush;
    if (!std::getline(in_, answer)) {
      err_ << '\n';
      return false;
    }
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) answer.pop_back();
    return true;
  }

  std::istream& in_;
  std::ostream& err_;
  bool yes_;
  Text settingsFile_;
  bool diffPrinted_ = false;
};

// --undo-last-replace: the report on out; the exit status (1 when there is no run to undo, 2 when
// a file was refused).
int UndoLastReplaceRun(std::ostream& out, std::ostream& err);

}  // namespace varko
