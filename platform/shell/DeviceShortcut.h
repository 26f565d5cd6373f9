#pragma once

#include <platform/platform_export.h>

#include <filesystem>
#include <optional>
#include <string>

namespace platform::detail {

// A device shortcut file holds "N#target": N the target's length, the target a device path
// (quoted when it holds spaces) optionally followed by arguments.
struct DeviceShortcut {
    std::u16string target;
    std::u16string arguments;
};

PLATFORM_EXPORT std::optional<DeviceShortcut> ParseShortcut(std::string_view content);
// Reads at most a few KiB: a shortcut is one short line.
PLATFORM_EXPORT std::optional<DeviceShortcut> ReadShortcut(const std::filesystem::path& file);

} // namespace platform::detail
