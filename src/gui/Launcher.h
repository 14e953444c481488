#pragma once
// Starts what the core's opening commands describe, without waiting for it: a program detached,
// or a document with the desktop's default program (xdg-open).
#include <QString>
#include "lib/Text.h"
#include "results/OpenCommand.h"

class QWidget;

class Launcher {
public:
  // False, with the system's error text ("No such file or directory"), when it could not start.
  static bool launch(const varko::LaunchCommand& command, varko::Text& error);
  // launch(), and on failure one message box with the error text, after prefix when one is given.
  static bool launchAndReport(const varko::LaunchCommand& command, QWidget* parent,
                              const QString& prefix = QString());
};
