#include "windows/FramePlacement.h"

#include "windows/X11Window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace platform::detail {

namespace {

constexpr const char* kPlacedProperty = "tovaloPlaced";

QRect ScreenArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, kFrameWidth, kFrameHeight);
}

} // namespace

bool IsDeviceScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->geometry().size() == QSize(kDeviceScreenWidth, kDeviceScreenHeight);
}

void PlaceFrame(QWidget* window) {
    if (!window || window->parentWidget())
        return;
    const bool device = IsDeviceScreen();
    Qt::WindowFlags wanted = device ? Qt::Window | Qt::FramelessWindowHint
                                    : Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    if (window->windowFlags() != wanted) {
        // Changing the flags re-creates the native window, which hides it.
        const bool visible = window->isVisible();
        window->setWindowFlags(wanted);
        if (visible)
            window->show();
    }
    window->setFixedSize(kFrameWidth, kFrameHeight);
    const bool firstTime = !window->property(kPlacedProperty).toBool();
    window->setProperty(kPlacedProperty, true);
    if (device) {
        window->setGeometry(0, kTitleBarHeight, kFrameWidth, kFrameHeight);
    } else if (firstTime) {
        // Centred, with room above for the title-bar strip.
        QRect area = ScreenArea();
        int x = area.left() + std::max(0, (area.width() - kFrameWidth) / 2);
        int y = area.top() + std::max(2 * kTitleBarHeight, (area.height() - kFrameHeight) / 2);
        window->setGeometry(x, y, kFrameWidth, kFrameHeight);
    }
}

QPoint DeviceToScreen(QPoint point, const QWidget* frame) {
    if (IsDeviceScreen() || !frame)
        return point;
    return point + frame->geometry().topLeft() - QPoint(0, kTitleBarHeight);
}

QRect StripGeometry(const QWidget* frame) {
    if (IsDeviceScreen())
        return QRect(0, 0, kDeviceScreenWidth, kTitleBarHeight);
    QRect area = ScreenArea();
    if (!frame)
        return QRect(area.topLeft(), QSize(kFrameWidth, kTitleBarHeight));
    // Directly above the window manager's decoration, on the screen.
    const QRect outer = DecoratedGeometry(frame);
    int x = std::clamp(outer.left(), area.left(),
                       std::max(area.left(), area.right() + 1 - kFrameWidth));
    int y = std::max(area.top(), outer.top() - kTitleBarHeight);
    return QRect(x, y, kFrameWidth, kTitleBarHeight);
}

QRect DecoratedGeometry(const QWidget* frame) {
    if (auto extents = FrameExtents(frame))
        return frame->geometry().marginsAdded(*extents);
    return frame->isVisible() ? frame->frameGeometry() : frame->geometry();
}

int StripRoomMissing(const QWidget* frame) {
    if (IsDeviceScreen() || !frame)
        return 0;
    return std::max(0, ScreenArea().top() + kTitleBarHeight - DecoratedGeometry(frame).top());
}

} // namespace platform::detail
