#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform::detail {

// What the seeder put into the device's start menu, kept beside it so that later starts can
// tell its shortcuts from the user's: one line per desktop application it knows,
// "desktop id <TAB> shortcut file name <TAB> target device path". The file name is empty
// once the shortcut is no longer the seeder's (the user removed or changed it).
class StartMenuRecord {
public:
    struct Application {
        std::string id;
        std::u16string file;
        std::u16string target;
    };

    // Nothing when there is no record (a start menu made by hand or by an older version).
    static std::optional<StartMenuRecord> Load(const std::filesystem::path& file);
    // Written aside and renamed into place, so a crash leaves the old record or the new one.
    bool Save(const std::filesystem::path& file) const;

    // Whether an id or a name can be kept in a line at all.
    static bool Recordable(std::string_view text);

    std::vector<Application> applications;
};

} // namespace platform::detail
