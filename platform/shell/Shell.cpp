#include <platform/Shell.h>

#include "shell/FileIconResolver.h"
#include "shell/IconCache.h"
#include "shell/IconStore.h"
#include "shell/SystemImageList.h"

#include <platform/Device.h>

#include "core/Text.h"

#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>

using namespace platform::detail;

namespace {

// Entries of one kind share a small icon: folders, and ordinary files by their name ending
// and whether they may run. Shortcuts and desktop entries carry icons of their own, and so
// does the browser. Nothing for those, or for a path that does not exist.
std::optional<std::u16string> KindOf(std::u16string_view path) {
    struct stat st {};
    if (FoldCase(path) == u"\\windows\\iexplore.exe" ||
        stat(platform::HostPath(path).c_str(), &st) != 0)
        return std::nullopt;
    if (S_ISDIR(st.st_mode))
        return u"/";
    const auto slash = path.rfind(u'\\');
    const std::u16string_view name =
        slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind(u'.');
    const std::u16string ending =
        dot == std::u16string_view::npos ? u"" : FoldCase(name.substr(dot));
    if (!S_ISREG(st.st_mode) || ending == u".lnk" || ending == u".desktop")
        return std::nullopt;
    return ((st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) ? u"x" : u"-") + ending;
}

// The index of a path's small icon, looked up once per kind: a folder of thousands of
// entries asks the icon theme a handful of times.
int SmallIconIndex(std::u16string_view path) {
    static std::mutex mutex;
    static std::unordered_map<std::u16string, int> kinds;
    const auto kind = KindOf(path);
    if (kind) {
        std::lock_guard lock(mutex);
        if (auto it = kinds.find(*kind); it != kinds.end())
            return it->second;
    }
    const int index = SystemImageList::IndexOf(FileIconResolver::Resolve(path));
    if (kind) {
        std::lock_guard lock(mutex);
        kinds.emplace(*kind, index);
    }
    return index;
}

} // namespace

DWORD_PTR SHGetFileInfo(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFO* psfi, UINT cbFileInfo,
                        UINT uFlags) {
    if (!pszPath || !psfi)
        return 0;
    std::u16string_view path(pszPath);
    if (uFlags & SHGFI_SYSICONINDEX) {
        psfi->iIcon = SmallIconIndex(path);
        return reinterpret_cast<DWORD_PTR>(SystemImageList::Handle());
    }
    IconSource source = FileIconResolver::Resolve(path);

    if (uFlags & SHGFI_DISPLAYNAME) {
        std::u16string_view trimmed = path;
        while (trimmed.size() > 1 && trimmed.back() == u'\\')
            trimmed.remove_suffix(1);
        auto slash = trimmed.rfind(u'\\');
        std::u16string_view name = slash == std::u16string_view::npos || trimmed.size() == 1
                                       ? trimmed
                                       : trimmed.substr(slash + 1);
        name = name.substr(0, MAX_PATH - 1);
        std::copy(name.begin(), name.end(), psfi->szDisplayName);
        psfi->szDisplayName[name.size()] = 0;
    }
    if (uFlags & SHGFI_ICON) {
        int size = (uFlags & SHGFI_SMALLICON) ? 16 : 32;
        psfi->hIcon = CreateIconHandle(IconCache::Render(source, size));
    }
    return 1;
}

BOOL DestroyIcon(HICON hIcon) {
    return DestroyIconHandle(hIcon) ? TRUE : FALSE;
}
