#pragma once
// The application object with a safety net: an exception that reaches the event loop is shown
// and logged, and the program goes on. Each one it ever catches is a fault to fix where it starts.
#include <QApplication>
#include <functional>
#include "lib/Text.h"

class VarkoApplication : public QApplication {
public:
  VarkoApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // How a caught exception is reported; by default a message box and the run log.
  std::function<void(const varko::Text& text)> report;
};
