#include "ScreenFit.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace varko::gui {

namespace {

QMargins frameOf(const QWidget* window) {
  const QRect outside = window->frameGeometry();
  const QRect inside = window->geometry();
  const QMargins frame(inside.left() - outside.left(), inside.top() - outside.top(), outside.right() - inside.right(),
                       outside.bottom() - inside.bottom());
  return frame.isNull() ? kFrameAllowance : frame;
}

void fitToScreen(QWidget* window) {
  const QScreen* screen = window->screen();
  if (!screen) return;
  const QRect workArea = screen->availableGeometry();
  const QMargins frame = frameOf(window);
  const QSize room = workArea.marginsRemoved(frame).size();
  const QSize needed = window->minimumSizeHint();
  if (window->minimumWidth() > room.width()) window->setMinimumWidth(std::max(room.width(), needed.width()));
  if (window->minimumHeight() > room.height()) window->setMinimumHeight(std::max(room.height(), needed.height()));

  const QRect inside = window->geometry();
  const QRect fitted = fittedGeometry(inside, window->minimumSize(), frame, workArea);
  if (fitted.size() != inside.size()) window->resize(fitted.size());
  // A window not placed yet is left to the window manager's placing, unless it had to shrink.
  const bool place = window->testAttribute(Qt::WA_Moved) || fitted.size() != inside.size();
  if (place && fitted.topLeft() != inside.topLeft()) window->move(fitted.topLeft() - QPoint(frame.left(), frame.top()));
}

class ScreenFitter : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Show comes before the window is mapped: it appears at the fitted size at once.
    if (event->type() == QEvent::Show && watched == parent()) fitToScreen(static_cast<QWidget*>(watched));
    return false;
  }
};

}  // namespace

QRect fittedGeometry(const QRect& geometry, const QSize& minimum, const QMargins& frame, const QRect& workArea) {
  const QRect room = workArea.marginsRemoved(frame);
  const QSize size = geometry.size().boundedTo(room.size()).expandedTo(minimum);
  if (size == geometry.size() && room.contains(geometry)) return geometry;
  const int left = std::max(room.left(), std::min(geometry.left(), room.right() + 1 - size.width()));
  const int top = std::max(room.top(), std::min(geometry.top(), room.bottom() + 1 - size.height()));
  return {QPoint(left, top), size};
}

void fitToScreenWhenShown(QWidget* window) { window->installEventFilter(new ScreenFitter(window)); }

}  // namespace varko::gui
