#pragma once

#include <platform/Handles.h>
#include <platform/Types.h>
#include <platform/platform_export.h>

inline constexpr UINT SHGFI_LARGEICON = 0x000;
inline constexpr UINT SHGFI_SMALLICON = 0x001;
inline constexpr UINT SHGFI_ICON = 0x100;
inline constexpr UINT SHGFI_DISPLAYNAME = 0x200;
inline constexpr UINT SHGFI_SYSICONINDEX = 0x4000;

struct SHFILEINFO {
    HICON hIcon = nullptr;
    int iIcon = 0;
    DWORD dwAttributes = 0;
    WCHAR szDisplayName[MAX_PATH] = {};
    WCHAR szTypeName[80] = {};
};

// Large icons are 32 x 32 (SHGFI_ICON | SHGFI_DISPLAYNAME, 0x300), small ones 16 x 16 (0x301).
// With SHGFI_SYSICONINDEX only iIcon is set: the index of the path's small icon in the shell's
// icon list, and the list's handle is returned. Every path gets an icon.
PLATFORM_EXPORT DWORD_PTR SHGetFileInfo(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFO* psfi,
                                        UINT cbFileInfo, UINT uFlags);
PLATFORM_EXPORT BOOL DestroyIcon(HICON hIcon);

namespace platform {

// An icon from its pixels, 0xAARRGGBB row by row (not premultiplied); alpha 0 is the mask.
PLATFORM_EXPORT HICON CreateIconFromPixels(int width, int height, const DWORD* argb);
// Icons made and not yet destroyed, for leak checks.
PLATFORM_EXPORT int LiveIconCount();

} // namespace platform
