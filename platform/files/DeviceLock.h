#pragma once

#include <filesystem>

namespace platform::detail {

// Who holds the device folder: one process at a time, for the rest of its life.
enum class DeviceHolder {
    ThisProcess,
    Another,
    // The lock cannot be had at all (a folder that cannot be written).
    Unknown,
};

// The device folder as one name, whichever way TOVALO_DEVICE spells it.
std::filesystem::path CanonicalDeviceFolder();

// Takes the device folder's lock unless another process holds it; once taken it is kept
// until the process ends, however it ends.
DeviceHolder HoldDeviceFolder();

} // namespace platform::detail
