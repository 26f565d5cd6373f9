#pragma once

#include <testsupport/DeviceFolder.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// A device's start menu and favourites folders, with shortcuts (paths relative to
// "Windows/Start Menu/Programs") that each start "\Windows\<its name>.exe".
inline void MakeStartMenu(const std::filesystem::path& device,
                          const std::vector<std::string>& shortcuts = {}) {
    const std::filesystem::path programs = device / "Windows" / "Start Menu" / "Programs";
    std::filesystem::create_directories(programs);
    std::filesystem::create_directories(device / "Windows" / "Favorites");
    for (const std::string& shortcut : shortcuts)
        WriteFile(programs / shortcut,
                  "22#\\Windows\\" + std::filesystem::path(shortcut).stem().string() + ".exe");
}

} // namespace testsupport
