#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform::detail {

// The host's application-entry folders, the user's first: $XDG_DATA_HOME/applications, then
// each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share) with /applications.
std::vector<std::filesystem::path> ApplicationDirs();

// Folders holding mimeapps.list, in the order their defaults apply.
std::vector<std::filesystem::path> MimeAppsFiles();

// The file of a desktop id ("org.gnome.Foo.desktop", "kde-foo.desktop" may live in kde/),
// searched in ApplicationDirs().
std::optional<std::filesystem::path> FindDesktopFile(const std::string& desktopId);

} // namespace platform::detail
