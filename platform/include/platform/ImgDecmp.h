#pragma once

#include <platform/Handles.h>
#include <platform/platform_export.h>

using HRESULT = LONG;
using LPSTR = char*;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);

struct IImageRender;
using GETDATAFUNC = DWORD (*)(LPSTR szBuffer, DWORD dwBufferMax, LPARAM lParam);
using PROGRESSFUNC = void (*)(IImageRender* pRender, BOOL bComplete, LPARAM lParam);

struct DecompressImageInfo {
    DWORD dwSize = 0;
    LPBYTE pbBuffer = nullptr;
    DWORD dwBufferMax = 0;
    DWORD dwBufferCurrent = 0;
    HBITMAP* phBM = nullptr;
    IImageRender** ppImageRender = nullptr;
    int iBitDepth = 0;
    LPARAM lParam = 0;
    HDC hdc = nullptr;
    int iScale = 100;
    int iMaxWidth = 0;
    int iMaxHeight = 0;
    GETDATAFUNC pfnGetData = nullptr;
    PROGRESSFUNC pfnImageProgress = nullptr;
    COLORREF crTransparentOverride = 0xFFFFFFFF;
};

// Decodes a JPEG, GIF or BMP picture read through pfnGetData, in pieces no larger than the
// work buffer and never more than 4096 bytes, into a new bitmap stored at *phBM: a 24-bit
// DIB section for a bit depth of 24, a bitmap compatible with the display otherwise. A
// picture larger than iMaxWidth x iMaxHeight is reduced to fit, keeping its aspect ratio,
// before it is decoded. A negative result is a failure, and then no bitmap is made.
PLATFORM_EXPORT HRESULT DecompressImageIndirect(DecompressImageInfo* pParams);
