#pragma once

#include <platform/Types.h>
#include <platform/platform_export.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The folder that plays the device: TOVALO_DEVICE, else $XDG_DATA_HOME/tovalo,
// else ~/.local/share/tovalo. Read anew at each call; not created here.
PLATFORM_EXPORT std::filesystem::path DeviceFolder();

// Creates the device folder (owner-only) when it is missing; false when that fails.
PLATFORM_EXPORT bool EnsureDeviceFolder();

// Whether a running program holds the device folder: the launcher does from its start to its
// end, and a tool must not replace the store under it meanwhile.
PLATFORM_EXPORT bool DeviceFolderInUse();

// "\Windows\..." lies in the device folder's Windows folder; any other rooted device path
// is the same path on the host ("\usr\bin" is /usr/bin).
PLATFORM_EXPORT std::filesystem::path HostPath(std::u16string_view devicePath);

// The device path of a host path, or nothing when a device path cannot carry it
// (a name holding "\" or bytes that are not UTF-8).
PLATFORM_EXPORT std::optional<std::u16string> DevicePath(const std::filesystem::path& hostPath);

// Host path of the folder holding the running executable.
PLATFORM_EXPORT std::filesystem::path ExecutableFolder();

// Device path of the program's own folder, the one holding its "Skin" folder, without a
// trailing "\": the executable's folder, or for an installation laid out by the file-system
// hierarchy (bin/, share/tovalo/) the share/tovalo folder beside it.
PLATFORM_EXPORT std::u16string ModuleDirectory();

} // namespace platform
