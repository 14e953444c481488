// Varko64: the application title, the program's windows and the event loop.
#include <QApplication>

#include "TfrmVarko1.h"
#include "VarkoProgram.h"
#include "lib/Library.h"
#include "lib/Text.h"

int main(int argc, char** argv) {
  varko::xcRaiseOpenFileLimit();
  varko::xcLimitMallocArenas();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tessel"));

  const varko::Text firstArgument = argc > 1 ? varko::fromUtf8(argv[1]) : varko::Text();
  VarkoProgram program(QString(), firstArgument);
  program.main()->show();
  return app.exec();
}
