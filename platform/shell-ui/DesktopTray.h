#pragma once

namespace platform::detail {

// Whether the desktop has a notification area to put icons in. Asked of the X server (the
// owner of the tray selection) where there is one, and of the session bus only where a bus
// is set: asking D-Bus without a bus blocks while it looks for one to start.
bool DesktopTrayExists();

} // namespace platform::detail
