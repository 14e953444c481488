#include "VarkoApplication.h"

#include <QMessageBox>
#include <exception>

#include "QtText.h"
#include "lib/Clock.h"
#include "lib/Errors.h"
#include "results/RunLog.h"

VarkoApplication::VarkoApplication(int& argc, char** argv) : QApplication(argc, argv) {
  report = [](const varko::Text& text) {
    varko::xcLog(u"Unexpected error: " + text, varko::SystemClock::instance());
    QMessageBox::critical(nullptr, applicationName(),
                          QStringLiteral("Unexpected error - the program goes on:\n\n") + varko::gui::toQString(text));
  };
}

bool VarkoApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const varko::VarkoError& e) {
    report(e.text());
  } catch (const std::exception& e) {
    report(varko::fromUtf8(e.what()));
  } catch (...) {
    report(u"unknown exception");
  }
  return false;
}
