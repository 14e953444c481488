#include "DesktopLaunch.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

bool LaunchOnDesktop(const varko::LaunchCommand& command, varko::Text& error) {
  if (command.kind == varko::LaunchCommand::Kind::OpenDocument) {
    const QString document = QString::fromStdU16String(command.document);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(document))) return true;
    error = u"No program could be found to open " + command.document;
    return false;
  }
  QProcess process;
  process.setProgram(QString::fromStdU16String(command.program));
  QStringList arguments;
  for (const varko::Text& argument : command.arguments) arguments << QString::fromStdU16String(argument);
  process.setArguments(arguments);
  if (process.startDetached()) return true;
  error = process.errorString().toStdU16String();
  return false;
}
