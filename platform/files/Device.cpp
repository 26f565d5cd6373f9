#include <platform/Device.h>

#include "core/Text.h"
#include "files/WindowsFolderSeeder.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::u16string_view kWindows = u"windows";

bool IsWindowsComponent(std::u16string_view name) {
    return detail::FoldCase(name) == kWindows;
}

} // namespace

fs::path DeviceFolder() {
    if (const char* device = std::getenv("TOVALO_DEVICE"); device && *device)
        return fs::path(device);
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return fs::path(data) / "tovalo";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "tovalo";
}

bool EnsureDeviceFolder() {
    std::error_code ec;
    fs::path folder = DeviceFolder();
    if (fs::is_directory(folder, ec))
        return true;
    if (!fs::create_directories(folder, ec) && !fs::is_directory(folder, ec))
        return false;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
    return true;
}

fs::path HostPath(std::u16string_view devicePath) {
    std::u16string_view rest = devicePath;
    while (!rest.empty() && rest.front() == u'\\')
        rest.remove_prefix(1);
    std::u16string_view first = rest.substr(0, rest.find(u'\\'));
    fs::path result;
    if (IsWindowsComponent(first)) {
        fs::path device = DeviceFolder();
        // A new device gets its Windows folder the first time anything looks into it.
        detail::EnsureWindowsFolder(device);
        result = device / "Windows";
        rest.remove_prefix(first.size());
    } else {
        result = "/";
    }
    std::u16string tail(rest);
    for (auto& ch : tail)
        if (ch == u'\\')
            ch = u'/';
    while (!tail.empty() && tail.front() == u'/')
        tail.erase(tail.begin());
    if (tail.empty())
        return result;
    return result / detail::ToUtf8(tail);
}

std::optional<std::u16string> DevicePath(const fs::path& hostPath) {
    fs::path absolute = hostPath.is_absolute() ? hostPath : fs::absolute(hostPath);
    absolute = absolute.lexically_normal();
    fs::path windows = (DeviceFolder() / "Windows").lexically_normal();
    std::u16string result;
    fs::path relative;
    auto rel = absolute.lexically_relative(windows);
    if (!rel.empty() && *rel.begin() != "..") {
        result = u"\\Windows";
        relative = rel == "." ? fs::path() : rel;
    } else {
        relative = absolute.relative_path();
    }
    for (const auto& part : relative) {
        std::string name = part.string();
        if (name.empty() || name == ".")
            continue;
        auto text = detail::FromUtf8Strict(name);
        if (!text || text->find(u'\\') != std::u16string::npos)
            return std::nullopt;
        result += u'\\';
        result += *text;
    }
    if (result.empty())
        result = u"\\";
    return result;
}

fs::path ExecutableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

std::u16string ModuleDirectory() {
    const fs::path exe = ExecutableFolder();
    if (exe.empty())
        return u"";
    std::error_code ec;
    const fs::path installed = exe.parent_path() / "share" / "tovalo";
    const bool useInstalled =
        !fs::is_directory(exe / "Skin", ec) && fs::is_directory(installed / "Skin", ec);
    auto device = DevicePath(useInstalled ? installed : exe);
    return device ? *device : u"";
}

} // namespace platform
