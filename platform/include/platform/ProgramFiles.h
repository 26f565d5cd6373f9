#pragma once

#include <platform/platform_export.h>

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// What counts as a program on this platform besides the device's ".exe" files: executable
// regular files (which carry no extension) and desktop entries (".desktop").
PLATFORM_EXPORT bool IsProgramFile(std::u16string_view devicePath);

// A desktop entry's name in the user's language; nothing for any other file or an entry
// without one.
PLATFORM_EXPORT std::optional<std::u16string> DesktopEntryName(std::u16string_view devicePath);

} // namespace platform
