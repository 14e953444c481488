#pragma once
// Windows keep their designed size where the screen holds it and shrink to fit a smaller one (a
// 1024 x 600 netbook screen), so that no control ends up off screen.
#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace varko::gui {

// A window manager's frame (title bar and borders) before it has told the window its real one.
inline constexpr QMargins kFrameAllowance{4, 32, 4, 4};

// Where a window with geometry (its inside, without the frame) goes on a work area: as it is
// when it fits, else no larger than the room inside the frame and no smaller than minimum, moved
// so that its frame lies inside the work area (as far as the minimum allows).
QRect fittedGeometry(const QRect& geometry, const QSize& minimum, const QMargins& frame, const QRect& workArea);

// Fits window to its screen's work area each time it is shown. A minimum size larger than the
// screen is lowered to it, never below what the window's layout needs.
void fitToScreenWhenShown(QWidget* window);

}  // namespace varko::gui
