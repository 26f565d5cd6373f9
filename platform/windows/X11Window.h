#pragma once

#include <QEvent>
#include <QMargins>

#include <optional>

class QWidget;

namespace platform::detail {

// What a top-level window needs of the X server beyond what the toolkit does. Off X11 these
// fall back to the toolkit or do nothing.

// Whether a window manager runs (someone redirects the root window's children).
bool WindowManagerRunning();

// Brings a top-level window to the front with the keyboard focus: un-minimised, shown,
// raised, activated through the window manager with a fresh user time, or, without one,
// given the input focus directly.
void BringToFront(QWidget* window);

// A top-level window has just been shown: without a window manager nobody else gives it the
// keyboard, so it takes the input focus itself.
void FocusShownWindow(QWidget* window);

// The window manager's decoration around a top-level window (_NET_FRAME_EXTENTS), when it
// has told.
std::optional<QMargins> FrameExtents(const QWidget* window);

// Sent to a top-level window when the window manager changes its decoration.
QEvent::Type FrameExtentsChangedEvent();

} // namespace platform::detail
