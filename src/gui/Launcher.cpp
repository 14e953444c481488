#include "Launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include "lib/Errors.h"
#include "QtText.h"

namespace {
using varko::gui::toQString;

// QProcess words a failed start in its own terms; the program's absence or a missing execute
// permission is told the way the system tells it.
varko::Text programProblem(const QString& program) {
  if (program.contains('/')) {
    QFileInfo info(program);
    if (!info.exists()) return varko::systemErrorText(ENOENT);
    if (!info.isFile() || !info.isExecutable()) return varko::systemErrorText(EACCES);
    return {};
  }
  if (QStandardPaths::findExecutable(program).isEmpty()) return varko::systemErrorText(ENOENT);
  return {};
}
}  // namespace

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
  const QString program = toQString(command.program);
  error = programProblem(program);
  if (!error.empty()) return false;
  QStringList arguments;
  for (const varko::Text& argument : command.arguments) arguments << toQString(argument);
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  process.setStandardInputFile(QProcess::nullDevice());
  if (process.startDetached()) return true;
  error = process.errorString().toStdU16String();
  return false;
}

bool Launcher::launchAndReport(const varko::LaunchCommand& command, QWidget* parent, const QString& prefix) {
  varko::Text error;
  if (launch(command, error)) return true;
  QMessageBox::critical(parent, QString(), prefix + toQString(error));
  return false;
}
