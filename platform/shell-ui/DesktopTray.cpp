#include "shell-ui/DesktopTray.h"

#include "core/Application.h"

#include <QGuiApplication>
#include <QSystemTrayIcon>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace platform::detail {

namespace {

// A system tray on X11 owns the selection _NET_SYSTEM_TRAY_S<screen>.
bool X11TrayOwned() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!native || !native->connection() || !native->display())
        return false;
    xcb_connection_t* connection = native->connection();
    const std::string name =
        "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(native->display()));
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.c_str()),
        nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    // An atom nobody ever made is a selection nobody owns.
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr);
    if (!owner)
        return false;
    const bool owned = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return owned;
}

bool SessionBusSet() {
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    return bus && *bus && !NoSessionBus();
}

} // namespace

bool DesktopTrayExists() {
    EnsureApplication();
    if (X11TrayOwned())
        return true;
    // A tray that lives on the session bus only (a StatusNotifier host).
    return SessionBusSet() && QSystemTrayIcon::isSystemTrayAvailable();
}

} // namespace platform::detail
