#pragma once

#include <platform/Types.h>

// Resource ids of the program.
inline constexpr UINT IDR_MAINFRAME = 128;   // menu, tray icon
inline constexpr UINT IDB_DEFAULTSKIN = 133; // the built-in skin, 240 x 294, 24 bits
inline constexpr UINT ID_TRAY_ICON = 102;
inline constexpr UINT WM_TRAYNOTIFY = 0x401;
inline constexpr UINT ID_SETTING = 32771;
inline constexpr UINT ID_VIEW = 32773;

// Makes the program's bitmap, icon and menu resources known to the platform.
void RegisterResources();
