#pragma once

namespace platform::detail {

// Makes sure the application exists and Qt looks for icon themes where the desktop keeps
// them, with the theme a desktop would choose. Without a desktop's platform theme Qt knows no
// theme (offscreen) or only "hicolor" (bare X), and no XDG folders, so both are taken from
// the user's desktop settings here, once, on every platform.
void EnsureIconTheme();

} // namespace platform::detail
