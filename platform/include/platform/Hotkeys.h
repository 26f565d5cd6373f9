#pragma once

#include <platform/Handles.h>
#include <platform/platform_export.h>

#include <string>

// Hardware-button hotkeys. Key codes 0xC1 to 0xCF are the device's application buttons 1
// to 15; on Linux they are the launch keys (XF86Launch1 ... XF86LaunchF) and, on a desktop
// keyboard, F1 to F12 for buttons 1 to 12 and Shift+F1 to Shift+F3 for 13 to 15. A key
// belongs to one window at a time; on X11 registered keys are grabbed for the whole display.
inline constexpr UINT MOD_ALT = 0x0001;
inline constexpr UINT MOD_CONTROL = 0x0002;
inline constexpr UINT MOD_SHIFT = 0x0004;
inline constexpr UINT MOD_WIN = 0x0008;

inline constexpr UINT VK_APP1 = 0xC1;
inline constexpr UINT VK_APP15 = 0xCF;

// Fails when another window holds the key. The hotkey arrives as WM_HOTKEY (posted) with
// wParam = id and lParam = MAKELPARAM(modifiers, key code).
PLATFORM_EXPORT BOOL RegisterHotKey(HWND hWnd, int id, UINT fsModifiers, UINT vk);
PLATFORM_EXPORT BOOL UnregisterHotKey(HWND hWnd, int id);

// The platform's modules: "coredll.dll" offers "UnregisterFunc1"(modifiers, key code), which
// takes a key away from whichever window holds it.
using FARPROC = void (*)();
PLATFORM_EXPORT HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
PLATFORM_EXPORT FARPROC GetProcAddress(HMODULE hModule, const char* lpProcName);
PLATFORM_EXPORT BOOL FreeLibrary(HMODULE hModule);

namespace platform {

// The window holding a key code, or null.
PLATFORM_EXPORT HWND HotKeyOwner(UINT vk);
// The desktop key that stands for a key code, for messages and documentation ("F2").
PLATFORM_EXPORT std::u16string HotKeyDesktopName(UINT vk);

} // namespace platform
