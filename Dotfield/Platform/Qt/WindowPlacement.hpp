#pragma once
// Where windows go on the desktop, over the screens' available areas (the
// screen without its panels and docks), as frames (the window with its title
// bar and borders):
// - a window shown for the first time goes beside the main window and the
//   windows already shown, not over them, inside the main window's screen;
// - a window whose position lies off every screen (a screen unplugged since)
//   comes back onto the nearest one.

#include <QList>
#include <QRect>
#include <QSize>

namespace Dotfield {

// The space left between windows placed side by side.
inline constexpr int windowPlacementGap = 8;

// The first of these spots that lies inside the available area of the main
// window's screen and covers neither the main window nor the others: right
// of, then below, the main window and then each other window in turn, then
// the area's corners. When every spot covers something, the one that keeps
// off the main window and covers least of the others; when none keeps off
// the main window, the frame sits right of it pushed back inside the area
// (top left of the area when larger).
QRect placeBesideMainWindow(QSize frame, const QRect& mainFrame, const QList<QRect>& otherFrames,
                            const QList<QRect>& availableAreas);

// The frame unchanged when it shares a pixel with an available area, else
// moved into the area nearest to it. No areas: unchanged.
QRect broughtOnScreen(const QRect& frame, const QList<QRect>& availableAreas);

} // namespace Dotfield
