#include "files/XdgDirs.h"

#include <cstdlib>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

fs::path HomeBased(const char* variable, const char* fallback) {
    std::string value = Env(variable);
    if (!value.empty() && value.front() == '/')
        return value;
    std::string home = Env("HOME");
    return fs::path(home.empty() ? "/tmp" : home) / fallback;
}

std::vector<fs::path> SplitDirs(const std::string& list, std::string_view fallback) {
    std::string_view text = list.empty() ? fallback : std::string_view(list);
    std::vector<fs::path> dirs;
    while (!text.empty()) {
        auto colon = text.find(':');
        std::string_view part = text.substr(0, colon);
        // Relative entries are invalid in these lists and ignored.
        if (!part.empty() && part.front() == '/')
            dirs.emplace_back(part);
        text.remove_prefix(colon == std::string_view::npos ? text.size() : colon + 1);
    }
    return dirs;
}

} // namespace

std::vector<fs::path> ApplicationDirs() {
    std::vector<fs::path> dirs{HomeBased("XDG_DATA_HOME", ".local/share") / "applications"};
    for (const auto& dir : SplitDirs(Env("XDG_DATA_DIRS"), "/usr/local/share:/usr/share"))
        dirs.push_back(dir / "applications");
    return dirs;
}

std::vector<fs::path> MimeAppsFiles() {
    std::vector<fs::path> files{HomeBased("XDG_CONFIG_HOME", ".config") / "mimeapps.list"};
    for (const auto& dir : SplitDirs(Env("XDG_CONFIG_DIRS"), "/etc/xdg"))
        files.push_back(dir / "mimeapps.list");
    for (const auto& dir : ApplicationDirs())
        files.push_back(dir / "mimeapps.list");
    // The older name, still shipped by some distributions.
    for (const auto& dir : ApplicationDirs())
        files.push_back(dir / "defaults.list");
    return files;
}

std::optional<fs::path> FindDesktopFile(const std::string& desktopId) {
    if (desktopId.empty() || desktopId.find('/') != std::string::npos)
        return std::nullopt;
    std::error_code ec;
    for (const auto& dir : ApplicationDirs()) {
        fs::path direct = dir / desktopId;
        if (fs::is_regular_file(direct, ec))
            return direct;
        // "kde-foo.desktop" may be kde/foo.desktop.
        std::string nested = desktopId;
        for (auto dash = nested.find('-'); dash != std::string::npos;
             dash = nested.find('-', dash + 1)) {
            nested[dash] = '/';
            if (fs::is_regular_file(dir / nested, ec))
                return dir / nested;
            nested[dash] = '-';
        }
    }
    return std::nullopt;
}

} // namespace platform::detail
