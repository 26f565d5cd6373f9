#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform::detail {

struct DesktopExec {
    std::string exec;
    bool terminal = false;
};

// Exec= and Terminal= of a desktop entry's [Desktop Entry] group, the value's escapes undone.
std::optional<DesktopExec> ReadDesktopExec(const std::filesystem::path& file);

} // namespace platform::detail
