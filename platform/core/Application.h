#pragma once

namespace platform::detail {

// Makes sure a Qt application object exists before anything draws text, icons or windows.
// Without a display (no DISPLAY, no WAYLAND_DISPLAY) and no QT_QPA_PLATFORM chosen, Qt's
// offscreen platform is used.
void EnsureApplication();

} // namespace platform::detail
