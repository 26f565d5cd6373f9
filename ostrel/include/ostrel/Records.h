#pragma once

#include <platform/Shell.h>
#include <platform/Types.h>

// One registry slot as read, and the list elements that add the program file's icon.
// Strings hold zero-terminated UTF-16 text; a default record has all numbers 0 and all
// strings empty.

struct GROUPDATA {
    int PK = 0;
    WCHAR GroupName[260] = {};
    int IconCount = 0;
};

struct EXEDATA {
    int PK = 0;
    int GroupPosition = 0;
    WCHAR IconName[260] = {};
    WCHAR IconPath[260] = {};
};

struct QLDATA {
    int PK = 0;
    WCHAR QLPath[260] = {};
};

struct GROUPICONDATA {
    int PK = 0;
    WCHAR GroupName[260] = {};
    int IconCount = 0;
};

struct EXEICONDATA {
    int PK = 0;
    int GroupPosition = 0;
    WCHAR IconName[260] = {};
    WCHAR IconPath[260] = {};
    HICON hIcon = nullptr;
};

struct QLICONDATA {
    int PK = 0;
    WCHAR QLPath[260] = {};
    HICON hIcon = nullptr;
};

// Special PK values.
inline constexpr int PK_EMPTY_SLOT = 1000;
inline constexpr int PK_FAVORITE = 100;
inline constexpr int PK_NO_SLOT = -1;
