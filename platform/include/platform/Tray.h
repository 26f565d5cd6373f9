#pragma once

#include <platform/Shell.h>
#include <platform/platform_export.h>

inline constexpr DWORD NIM_ADD = 0;
inline constexpr DWORD NIM_MODIFY = 1;
inline constexpr DWORD NIM_DELETE = 2;
inline constexpr UINT NIF_MESSAGE = 0x1;
inline constexpr UINT NIF_ICON = 0x2;
inline constexpr UINT NIF_TIP = 0x4;

struct NOTIFYICONDATA {
    DWORD cbSize = 0;
    HWND hWnd = nullptr;
    UINT uID = 0;
    UINT uFlags = 0;
    UINT uCallbackMessage = 0;
    HICON hIcon = nullptr;
    WCHAR szTip[64] = {};
};

// The notification-area icon: in the desktop's tray where there is one, otherwise in a
// 26-pixel strip of the platform's own above the frame, so that it is always reachable. A
// click posts uCallbackMessage to hWnd with wParam uID and lParam the mouse message.
PLATFORM_EXPORT BOOL Shell_NotifyIcon(DWORD dwMessage, NOTIFYICONDATA* lpData);

inline constexpr DWORD SHFS_SHOWTASKBAR = 0x01;
inline constexpr DWORD SHFS_HIDETASKBAR = 0x02;
inline constexpr DWORD SHFS_SHOWSIPBUTTON = 0x04;
inline constexpr DWORD SHFS_HIDESIPBUTTON = 0x08;
// The full-screen request: the frame keeps the device's geometry; there is no task bar or
// input-panel button to hide on a desktop.
PLATFORM_EXPORT BOOL SHFullScreen(HWND hwndRequester, DWORD dwState);

inline constexpr UINT IMAGE_ICON = 1;
// Icon resources of the program, added at start-up from PNG bytes. A resource added in several
// sizes gives the one made for the size asked, else the nearest larger one, scaled to fit.
PLATFORM_EXPORT HICON LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy,
                                 UINT fuLoad);

namespace platform {

PLATFORM_EXPORT void AddIconResource(UINT id, const BYTE* bytes, std::size_t size);
// Whether the icon sits in the desktop's tray (true) or in the platform's own strip.
PLATFORM_EXPORT bool TrayIconInDesktopTray();
// Acts as a click on the icon, for tests.
PLATFORM_EXPORT void ClickTrayIcon(UINT uID);

} // namespace platform
