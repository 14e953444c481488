#include "ResultOpener.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include "Launcher.h"
#include "TfrmVarkoEditOptions.h"

namespace {
QString toQ(const varko::Text& t) { return QString::fromStdU16String(t); }
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
  if (start.setClipboard) setClipboard(toQ(start.clipboardText));
  if (!start.hasFile) return;
  if (!start.testMessage.empty()) showMessage(toQ(start.testMessage));

  varko::Text command = start.openCommand;
  if (start.ask) command = ask(toQ(input.row.path), toQ(start.extension)).toStdU16String();

  const varko::DoubleClickFinish finish = varko::FinishDoubleClick(command, input, start.extension, findProgram);
  if (finish.view) {
    if (viewCurrentFile) viewCurrentFile();
    return;
  }
  if (!finish.testMessage.empty()) showMessage(toQ(finish.testMessage));
  varko::Text error;
  if (!launch(finish.prepared.launch, error)) showMessage(toQ(error));
}
