#pragma once
// How a search run reaches its user. The window implements it with Qt, the command line with
// the terminal, tests with a scripted fake.
#include "lib/Clock.h"
#include "lib/Text.h"
#include "examine/TextFile.h"

namespace varko {

enum class ConfirmAnswer { Yes, No, Cancel, NoToAll, YesToAll };
enum class ConfirmButtons { YesNo, YesNoCancel, YesNoCancelAll };

enum RunState : int { kRunIdle = 1, kRunRunning = 2, kRunFinished = 3 };

// The colour of the status line (lblFile).
enum class StatusColour {
  GreyIfFieldsChanged = 1,  // grey when a field differs from its text when it took the focus
  Running = 2,              // navy
};

// "Speed display" items: how the results grid is kept quiet while a run fills it.
enum SpeedDisplayItem : int { kSpeedGridHidden = 0, kSpeedGridDisabled = 1, kSpeedGridBatched = 2 };

class RunHost : public Clock {
public:
  // Lets the user's pending events run (where "Stop" can be pressed).
  virtual void processEvents() = 0;
  virtual void setStatusText(const Text& text) = 0;    // lblFile
  virtual void setProgressText(const Text& text) = 0;  // lblProgress2
  virtual void showMessage(const Text& text) = 0;      // modal message box
  virtual ConfirmAnswer confirm(const Text& text, ConfirmButtons buttons) = 0;

  // The window side of the run states: buttons, page, title.
  virtual void runStateChanged(RunState state) = 0;
  virtual void setFoundGridShown(bool shown) = 0;
  virtual void setStatusColour(StatusColour colour) = 0;
  virtual void setReplaceShown(bool on) = 0;  // the "Replace On" label
  virtual void fitFoundColumns() = 0;
  // The text column takes the grid's width less the right-hand margin of the first show.
  virtual void widenFoundTextColumn() = 0;
  virtual void focusStringField() = 0;
  virtual void focusFoundGrid() = 0;
  // The run changed a choice list on the window.
  virtual void setSpeedDisplayItem(SpeedDisplayItem item) = 0;
  virtual void setLoadMethodItem(LoadMethodItem item) = 0;
  // With "List skipped files": a file (or folder) the run did not search, and why, besides
  // its row; for a host that shows it elsewhere.
  virtual void fileSkipped(const Text& /*path*/, const Text& /*reason*/) {}
};

// A host that does nothing visible; a base for the command line and tests.
class QuietRunHost : public RunHost {
public:
  explicit QuietRunHost(const Clock& clock) : clock_(clock) {}
  DateTimeValue now() const override { return clock_.now(); }
  void processEvents() override {}
  void setStatusText(const Text& text) override { statusText = text; }
  void setProgressText(const Text& text) override { progressText = text; }
  void showMessage(const Text& text) override { messages.push_back(text); }
  ConfirmAnswer confirm(const Text&, ConfirmButtons) override { return ConfirmAnswer::No; }
  void runStateChanged(RunState state) override { runState = state; }
  void setFoundGridShown(bool shown) override { gridShown = shown; }
  void setStatusColour(StatusColour colour) override { statusColour = colour; }
  void setReplaceShown(bool on) override { replaceShown = on; }
  void fitFoundColumns() override {}
  void widenFoundTextColumn() override {}
  void focusStringField() override { focus = u"edtString"; }
  void focusFoundGrid() override { focus = u"grdFound"; }
  void setSpeedDisplayItem(SpeedDisplayItem item) override { speedDisplayItem = item; }
  void setLoadMethodItem(LoadMethodItem item) override { loadMethodItem = item; }

  Text statusText;
  Text progressText;
  TextList messages;
  RunState runState = kRunIdle;
  bool gridShown = true;
  StatusColour statusColour = StatusColour::GreyIfFieldsChanged;
  bool replaceShown = false;
  Text focus;
  SpeedDisplayItem speedDisplayItem = kSpeedGridHidden;
  LoadMethodItem loadMethodItem = kLoadFilesInUse;

private:
  const Clock& clock_;
};

}  // namespace varko
