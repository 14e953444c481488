#include "SizedTabWidget.h"

#include <QTabBar>
#include <algorithm>

namespace {

class SizedTabBar : public QTabBar {
public:
  SizedTabBar(QSize tabSize, bool widthIsMinimum) : tabSize_(tabSize), widthIsMinimum_(widthIsMinimum) {}

protected:
  QSize tabSizeHint(int index) const override {
    const int width = widthIsMinimum_ ? std::max(tabSize_.width(), QTabBar::tabSizeHint(index).width()) : tabSize_.width();
    return {width, tabSize_.height()};
  }
  QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

private:
  QSize tabSize_;
  bool widthIsMinimum_;
};

}  // namespace

SizedTabWidget::SizedTabWidget(QSize tabSize, bool widthIsMinimum, QWidget* parent) : QTabWidget(parent) {
  setTabBar(new SizedTabBar(tabSize, widthIsMinimum));
}
