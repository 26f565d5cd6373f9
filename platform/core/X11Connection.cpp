#include "core/X11Connection.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

namespace platform::detail {

X11Connection X11Connection::Get() {
    X11Connection x;
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return x;
    auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!native)
        return x;
    x.display = native->display();
    x.connection = native->connection();
    if (x.display && x.connection)
        x.root = static_cast<xcb_window_t>(DefaultRootWindow(x.display));
    else
        x.connection = nullptr;
    return x;
}

const char* X11Connection::DisplayName() const {
    return display ? DisplayString(display) : nullptr;
}

} // namespace platform::detail
