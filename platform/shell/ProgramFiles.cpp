#include <platform/Device.h>
#include <platform/ProgramFiles.h>

#include "core/Text.h"
#include "shell/DesktopEntry.h"

#include <sys/stat.h>

namespace platform {

namespace {

bool IsDesktopEntryName(std::u16string_view devicePath) {
    constexpr std::u16string_view kSuffix = u".desktop";
    return devicePath.size() > kSuffix.size() &&
           detail::FoldCase(devicePath.substr(devicePath.size() - kSuffix.size())) == kSuffix;
}

} // namespace

bool IsProgramFile(std::u16string_view devicePath) {
    struct stat st {};
    if (stat(HostPath(devicePath).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return IsDesktopEntryName(devicePath) || (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

std::optional<std::u16string> DesktopEntryName(std::u16string_view devicePath) {
    if (!IsDesktopEntryName(devicePath))
        return std::nullopt;
    auto entry = detail::DesktopEntry::Load(HostPath(devicePath));
    if (!entry)
        return std::nullopt;
    std::u16string name = entry->Name(detail::DesktopEntry::Locale());
    if (name.empty())
        return std::nullopt;
    return name;
}

} // namespace platform
