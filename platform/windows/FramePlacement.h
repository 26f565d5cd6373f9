#pragma once

#include <platform/platform_export.h>

#include <QPoint>
#include <QRect>

class QWidget;

namespace platform::detail {

// The device: a 240 x 320 screen with a 26-pixel title bar over the frame.
inline constexpr int kDeviceScreenWidth = 240;
inline constexpr int kDeviceScreenHeight = 320;
inline constexpr int kTitleBarHeight = 26;
inline constexpr int kFrameWidth = 240;
inline constexpr int kFrameHeight = 294;

// Whether the primary screen is the device's own (exactly 240 x 320).
bool IsDeviceScreen();

// Gives a frame's window the device geometry: below the title bar and frameless on the
// device, a fixed-size window elsewhere (placed on the screen the first time only).
void PlaceFrame(QWidget* window);

// Where the title-bar strip goes for a frame: the device's title bar, or just above the
// frame's decoration on a desktop, on the screen. Without a frame, the top of the primary
// screen.
QRect StripGeometry(const QWidget* frame);
// The frame with the window manager's decoration around it, in screen coordinates.
QRect DecoratedGeometry(const QWidget* frame);
// How far a frame must move down to leave room for the strip above its decoration.
int StripRoomMissing(const QWidget* frame);

// Where a point of the device's screen lies on this one. The program places pop-ups in device
// coordinates; on a desktop the device's screen is the area the frame and its strip cover,
// with its origin 26 pixels above the frame's client area.
PLATFORM_EXPORT QPoint DeviceToScreen(QPoint point, const QWidget* frame);

} // namespace platform::detail
