#pragma once
// The double click on a result row (grdFoundDblClick): the clipboard copy, the [Viewer] lookup,
// the ask window, the test information boxes and the launch. The decisions are the core's; this
// class carries them out with Qt.
//
// Use: construct once with the main window and the ask window; on a double click fill a
// varko::DoubleClickInput from the current row and the switches and call open(), giving the
// settings file and what "Viewer" does (ViewCurrentFile).
#include <QString>
#include <functional>
#include "lib/IniFile.h"
#include "results/OpenCommand.h"

class QWidget;
class TfrmVarkoEditOptions;

class ResultOpener {
public:
  ResultOpener(QWidget* owner, TfrmVarkoEditOptions& askWindow);

  void open(const varko::DoubleClickInput& input, const varko::IniFile& settings,
            const std::function<void()>& viewCurrentFile);

  // Replaceable so a test can watch them; by default the clipboard, message boxes, the ask
  // window and Launcher.
  std::function<void(const QString& text)> setClipboard;
  std::function<void(const QString& text)> showMessage;
  std::function<QString(const QString& file, const QString& extension)> ask;
  std::function<bool(const varko::LaunchCommand& command, varko::Text& error)> launch;
  varko::ProgramFinder findProgram = varko::findProgramOnPath;

private:
  QWidget* owner_;
};
