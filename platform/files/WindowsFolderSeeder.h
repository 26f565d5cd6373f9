#pragma once

#include <platform/platform_export.h>

#include <filesystem>
#include <string>

namespace platform::detail {

// Gives a new device its Windows folder: "Start Menu\Programs" with one shortcut per
// application the host offers, and an empty "Favorites". Only ever acts when
// <device>/Windows is missing; an existing one is never touched.
class PLATFORM_EXPORT WindowsFolderSeeder {
public:
    explicit WindowsFolderSeeder(std::filesystem::path device);

    // True when this call created the folder. Failures are reported on stderr.
    bool Run();

    // The shortcut file name (without ".lnk") for an application's name: "." becomes
    // U+2024 so the label (the name up to its first ".") is whole; "/" and "\" become "-".
    static std::u16string ShortcutName(std::u16string_view name);

private:
    bool Build(const std::filesystem::path& windows);

    std::filesystem::path m_device;
};

// Runs the seeder once per device folder per process; cheap after the first call.
void EnsureWindowsFolder(const std::filesystem::path& device);

} // namespace platform::detail
