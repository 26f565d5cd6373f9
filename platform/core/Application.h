#pragma once

#include <platform/platform_export.h>

namespace platform::detail {

// Makes sure a Qt application object exists before anything draws text, icons or windows.
// Without a display (no DISPLAY, no WAYLAND_DISPLAY) and no QT_QPA_PLATFORM chosen, Qt's
// offscreen platform is used. Without XDG_RUNTIME_DIR, a private runtime folder is provided.
PLATFORM_EXPORT void EnsureApplication();

// The session bus address set for this process alone when no session bus could be found.
inline constexpr char kNoSessionBus[] = "disabled:";

// Whether no session bus could be found when the application was made: the process then holds
// kNoSessionBus as its address, which programs it starts must not inherit.
PLATFORM_EXPORT bool NoSessionBus();

// Whether the application fell back on the offscreen platform because nothing named a
// display or a platform: whatever it shows, nobody sees.
bool NothingToShowOn();

} // namespace platform::detail
