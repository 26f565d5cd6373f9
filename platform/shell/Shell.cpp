#include <platform/Shell.h>

#include "shell/FileIconResolver.h"
#include "shell/IconCache.h"
#include "shell/IconStore.h"
#include "shell/SystemImageList.h"

#include <algorithm>
#include <string_view>

using namespace platform::detail;

DWORD_PTR SHGetFileInfo(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFO* psfi, UINT cbFileInfo,
                        UINT uFlags) {
    if (!pszPath || !psfi)
        return 0;
    std::u16string_view path(pszPath);
    IconSource source = FileIconResolver::Resolve(path);

    if (uFlags & SHGFI_SYSICONINDEX) {
        psfi->iIcon = SystemImageList::IndexOf(source);
        return reinterpret_cast<DWORD_PTR>(SystemImageList::Handle());
    }
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
