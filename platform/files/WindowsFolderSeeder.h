#pragma once

#include <platform/platform_export.h>

#include <filesystem>
#include <set>
#include <string>

namespace platform::detail {

class StartMenuRecord;

// Gives a new device its Windows folder: "Start Menu\Programs" with one shortcut per
// application the host offers, and an empty "Favorites"; afterwards keeps the start menu in
// step with the desktop, never touching a shortcut the user made or changed.
class PLATFORM_EXPORT WindowsFolderSeeder {
public:
    explicit WindowsFolderSeeder(std::filesystem::path device);

    // Makes the folder when <device>/Windows is missing; true when this call created it.
    // Failures are reported on stderr.
    bool Run();
    // Adds shortcuts for applications installed since the last call and removes the ones it
    // made for applications removed since. A start menu without the seeder's record is taken
    // as it stands and followed from then on. True when a shortcut was added or removed.
    bool Follow();

    // The shortcut file name (without ".lnk") for an application's name: "." becomes
    // U+2024 so the label (the name up to its first ".") is whole; "/" and "\" become "-".
    static std::u16string ShortcutName(std::u16string_view name);

private:
    bool Build(const std::filesystem::path& windows);
    bool FollowLocked(const std::filesystem::path& startMenu,
                      const std::filesystem::path& programs);
    static bool AddShortcut(const std::filesystem::path& programs, const std::string& id,
                            const std::u16string& name, const std::u16string& target,
                            std::set<std::u16string>& taken, StartMenuRecord& record);

    std::filesystem::path m_device;
};

// Runs the seeder (or, for an existing folder, follows the desktop) once per device folder per
// process; cheap after the first call.
void EnsureWindowsFolder(const std::filesystem::path& device);

} // namespace platform::detail
