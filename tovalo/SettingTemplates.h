#pragma once

#include <platform/DialogTemplate.h>

// Dialog resources of the settings sheet's pages.
inline constexpr UINT IDD_SETTING1 = 130;
inline constexpr UINT IDD_SETTING2 = 131;

const platform::DialogTemplate& Setting1Template();
const platform::DialogTemplate& Setting2Template();

// Controls of page 1, "Group,ExeIcon".
inline constexpr UINT IDC_GROUPLIST = 1000;
inline constexpr UINT IDC_ADDGROUP = 1001;
inline constexpr UINT IDC_DELGROUP = 1002;
inline constexpr UINT IDC_GROUPNAME = 1003;
inline constexpr UINT IDC_MODGROUP = 1005;
inline constexpr UINT IDC_EXELIST = 1006;
inline constexpr UINT IDC_ADDEXE = 1007;
inline constexpr UINT IDC_DELEXE = 1008;
inline constexpr UINT IDC_GROUPCHOICE = 1009;
inline constexpr UINT IDC_SHOWFAVORITE = 1010;
inline constexpr UINT IDC_MODEXE = 1011;
inline constexpr UINT IDC_EXENAME = 1012;
inline constexpr UINT IDC_UPDATEFAVORITE = 1013;

// Controls of page 2, "Skin, QuickStartUp, HotKey".
inline constexpr UINT IDC_HOTKEYCHOICE = 1000;
inline constexpr UINT IDC_QLLIST = 1001;
inline constexpr UINT IDC_BROWSESKIN = 1002;
inline constexpr UINT IDC_ADDQL = 1003;
inline constexpr UINT IDC_DEFAULTSKIN = 1005;
inline constexpr UINT IDC_DELQL = 1006;
inline constexpr UINT IDC_SKINPATH = 1007;
inline constexpr UINT IDC_HOTKEYLIST = 1011;
