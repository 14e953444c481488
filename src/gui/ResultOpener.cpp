#include "ResultOpener.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include "Launcher.h"
#include "TfrmVarkoEditOptions.h"
#include "QtText.h"

namespace {
using varko::gui::toQString;
}  // namespace

ResultOpener::ResultOpener(QWidget* owner, TfrmVarkoEditOptions& askWindow) : owner_(owner) {
  setClipboard = [](const QString& text) { QGuiApplication::clipboard()->setText(text); };
  showMessage = [this](const QString& text) { QMessageBox::information(owner_, QString(), text); };
  ask = [&askWindow](const QString& file, const QString& extension) { return askWindow.ask(file, extension); };
  launch = [](const varko::LaunchCommand& command, varko::Text& error) { return Launcher::launch(command, error); };
}

void ResultOpener::open(const varko::DoubleClickInput& input, const varko::IniFile& settings,
                        const std::function<void()>& viewCurrentFile) {
  const varko::DoubleClickStart start = varko::StartDoubleClick(input, settings);
  if (start.setClipboard) setClipboard(toQString(start.clipboardText));
  if (!start.hasFile) return;
  if (!start.testMessage.empty()) showMessage(toQString(start.testMessage));

  varko::Text command = start.openCommand;
  if (start.ask) command = ask(toQString(input.row.path), toQString(start.extension)).toStdU16String();

  const varko::DoubleClickFinish finish = varko::FinishDoubleClick(command, input, start.extension, findProgram);
  if (finish.view) {
    if (viewCurrentFile) viewCurrentFile();
    return;
  }
  if (!finish.testMessage.empty()) showMessage(toQString(finish.testMessage));
  varko::Text error;
  if (!launch(finish.prepared.launch, error)) showMessage(toQString(error));
}
