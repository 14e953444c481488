#include "Launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>
#include <cerrno>
#include "lib/Errors.h"
#include "lib/Programs.h"
#include "QtText.h"

using varko::gui::toQString;

bool Launcher::launch(const varko::LaunchCommand& command, varko::Text& error) {
  error.clear();
  if (command.kind == varko::LaunchCommand::Kind::OpenDocument) {
    const QString document = toQString(command.document);
    if (!QFileInfo::exists(document)) {
      error = varko::systemErrorText(ENOENT);
      return false;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(document))) return true;
    error = u"No program is set up to open " + command.document;
    return false;
  }
  const int failure = varko::startDetachedProgram(command.program, command.arguments);
  if (failure == 0) return true;
  error = varko::systemErrorText(failure);
  return false;
}

bool Launcher::launchAndReport(const varko::LaunchCommand& command, QWidget* parent, const QString& prefix) {
  varko::Text error;
  if (launch(command, error)) return true;
  QMessageBox::critical(parent, QString(), prefix + toQString(error));
  return false;
}
