#pragma once

#include <xcb/xcb.h>

// Xlib's own declaration; its header's macros would break the toolkit's headers after it.
typedef struct _XDisplay Display;

namespace platform::detail {

// The toolkit's own connection to the X server, for the few things the toolkit does not do
// itself (key grabs, focus, the window manager's properties). Empty off X11.
struct X11Connection {
    Display* display = nullptr;
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;

    static X11Connection Get();
    // The server's name as the toolkit opened it, for a connection of one's own.
    const char* DisplayName() const;
    explicit operator bool() const { return connection != nullptr; }
};

} // namespace platform::detail
