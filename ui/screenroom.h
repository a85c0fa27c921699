#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Where a top-level window may stand on its screen, for the windows that size themselves
// to a laptop's screen rather than run off it.
namespace screenroom {

// The screen's available area in logical pixels. At a fractional scale it is rounded and
// may be half a device pixel more than the screen has (1024 at 150 % is 683): a logical
// pixel less keeps the window on it. Empty while the window has no screen.
QRect available(const QWidget *window);

// The room for the window's client area: the available area less the window's frame.
QSize forClientArea(const QWidget *window, const QRect &available);

// Moves the window so that its whole frame is on the available area, the title bar first.
void keepOn(QWidget *window, const QRect &available);

} // namespace screenroom
