#pragma once

namespace platform::detail {

// Makes sure the application exists and Qt looks for icon themes where the desktop keeps
// them. Without a desktop's platform theme (offscreen, bare X) Qt knows no theme and no
// XDG folders, so both are taken from the user's desktop settings here, once.
void EnsureIconTheme();

} // namespace platform::detail
