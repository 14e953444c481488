// Varko64: the application title, the program's windows and the event loop.
// Arguments: "-v" first turns test information on; a folder (what a file manager's "Open with"
// passes) starts the program on it.

#include "TfrmVarko1.h"
#include "VarkoApplication.h"
#include "VarkoProgram.h"
#include "lib/Library.h"
#include "lib/Text.h"

int main(int argc, char** argv) {
  varko::xcRaiseOpenFileLimit();
  varko::xcLimitMallocArenas();
  VarkoApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tessel"));

  const varko::Text firstArgument = argc > 1 ? varko::fromUtf8(argv[1]) : varko::Text();
  VarkoProgram program(QString(), firstArgument);
  program.takeArguments(QApplication::arguments().mid(1));
  program.main()->show();
  return app.exec();
}
