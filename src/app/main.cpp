// Varko64: the application title, the program's windows and the event loop.
// Arguments: "-v" first turns test information on; a folder (what a file manager's "Open with"
// passes) starts the program on it; --help and --version print and exit.

#include <QIcon>
#include <cstdio>
#include <cstring>
#include "TfrmVarko1.h"
#include "VarkoApplication.h"
#include "VarkoProgram.h"
#include "VarkoVersion.h"
#include "lib/Library.h"
#include "lib/Text.h"

namespace {

constexpr const char* kUsage =
    "Usage: Varko64 [-v] [FOLDER]\n"
    "Search the text files below folders for strings, and replace them safely.\n"
    "\n"
    "  -v         (first) turn test information on\n"
    "  FOLDER     start on this folder\n"
    "  -h, --help show this text\n"
    "  --version  show the program's version\n"
    "\n"
    "varko-search is the same engine on the command line.\n";

// Answered before the QApplication exists: it needs a display, and these do not.
int answerWithoutWindow(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("Varko64 %s\n", varko::toUtf8(VARKO_VERSION_TEXT).c_str());
      return 0;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = answerWithoutWindow(argc, argv); status >= 0) return status;
  varko::raiseOpenFileLimit();
  varko::limitMallocArenas();
  VarkoApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tessel"));
  // The installed desktop entry's name, so the desktop ties the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("varko"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("varko"), QIcon(QStringLiteral(":/varko.svg"))));

  const varko::Text firstArgument = argc > 1 ? varko::fromUtf8(argv[1]) : varko::Text();
  VarkoProgram program(QString(), firstArgument);
  program.takeArguments(QApplication::arguments().mid(1));
  program.main()->show();
  return app.exec();
}
