// The safety net: an exception that reaches the event loop is reported and the program goes on.
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <stdexcept>

#include "VarkoApplication.h"
#include "lib/Errors.h"

namespace {
class Thrower : public QObject {
public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("Invalid argument to date encode");
    if (e->type() == QEvent::User + 1) throw varko::VarkoError(u"a core error");
    return QObject::event(e);
  }
};
}  // namespace

int main(int argc, char** argv) {
  VarkoApplication app(argc, argv);
  QStringList reported;
  app.report = [&reported](const varko::Text& text) { reported << QString::fromStdU16String(text); };
  Thrower thrower;
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&thrower, new QEvent(static_cast<QEvent::Type>(QEvent::User + 1)));
  bool goesOn = false;
  QTimer::singleShot(0, [&] {
    goesOn = true;
    app.quit();
  });
  app.exec();
  const bool ok = goesOn && reported == QStringList{"Invalid argument to date encode", "a core error"};
  std::printf("%s: %d reported, event loop went on: %s\n", ok ? "PASS" : "FAIL", static_cast<int>(reported.size()),
              goesOn ? "yes" : "no");
  return ok ? 0 : 1;
}
