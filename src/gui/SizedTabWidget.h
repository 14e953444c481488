#pragma once
// A page control whose tabs have the designed size. A style sheet could size them too, but it
// would give every control on the pages the desktop theme's colours instead of the window's.
#include <QTabWidget>

class SizedTabWidget : public QTabWidget {
  Q_OBJECT
public:
  // Tabs of tabSize; with widthIsMinimum, a tab whose caption needs more is wider.
  explicit SizedTabWidget(QSize tabSize, bool widthIsMinimum = false, QWidget* parent = nullptr);
};
