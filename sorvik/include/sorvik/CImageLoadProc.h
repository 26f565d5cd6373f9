#pragma once

#include <platform/CDC.h>
#include <platform/Handles.h>
#include <platform/ImgDecmp.h>
#include <platform/Types.h>
#include <sorvik/sorvik_export.h>

// One bitmap in the launcher's 16-bit display format (or 8-bit palette indices).
//
// A plain record by design: the caller places it (local or member) and zero-fills it before
// first use; CImageLoadProc fills and empties it. The pixel buffer pData is owned through the
// record and is released only by CImageLoadProc::ClearBitmap, so the owner must call
// ClearBitmap before discarding a record; every loading operation calls it first, so a record
// can be reused without leaking. Never free or replace pData by other means.
struct _SXBMP {
    DWORD dwSize = 0;      // bytes of pixel data: width x height x bytes per pixel
    WORD wBitCount = 0;    // 16 (RGB565 words) or 8 (palette indices); 0 when empty
    DWORD dwWidth = 0;     // pixels
    DWORD dwHeight = 0;    // pixels
    BYTE* pData = nullptr; // rows without padding; 16-bit pixels are native WORDs
    BOOL bLoaded = 0;      // 1 once pData holds a buffer made by CImageLoadProc
    BOOL bUserFlag = 0;    // caller values, carried along and never read here
    WORD wUserValue = 0;
};

// A palette for 8-bit bitmaps. LoadPalette hands it to the caller, who owns it and its colour
// array; both come from std::malloc and are released with FreePalette.
struct _SXPALETTE {
    WORD wSignature = 0; // always "PF" (0x4650) in a returned palette
    short nColors = 0;   // 1 to 256
    WORD* pColors = nullptr;
};

// Releases a palette made by CImageLoadProc::LoadPalette together with its colours; null is
// ignored.
SORVIK_EXPORT void FreePalette(_SXPALETTE* palette);

// Result codes; the bit 0x10000000 marks a failure.
inline constexpr DWORD SX_SUCCESS = 0;
inline constexpr DWORD SX_E_OPENFILE = 0x10000008;
inline constexpr DWORD SX_E_NOMEMORY = 0x10000009;
inline constexpr DWORD SX_E_UNSUPPORTED = 0x1000000F;

// Loads BMP and the library's own "PF" bitmap and palette files into _SXBMP records, and
// decodes JPEG, GIF and BMP through the platform's image decompressor. Holds no state: every
// operation works on its arguments only.
class SORVIK_EXPORT CImageLoadProc {
public:
    CImageLoadProc();
    virtual ~CImageLoadProc();

    // BMP (8, 16 or 24 bits) or PF (8 or 16 bits) into the record; 24-bit colour becomes
    // RGB565. The user values are stored only when bUserFlag is non-zero.
    static DWORD LoadBitmapW(LPCWSTR lpszPath, _SXBMP* pBmp, int bUserFlag, WORD wUserValue);
    // Releases the record's buffer and zeroes every field.
    static DWORD ClearBitmap(_SXBMP* pBmp);
    // RGB565 of the blue, green, red bytes at pData + nOffset.
    static WORD SX24RGB16Short(int nOffset, const BYTE* pData);

    // A 16-bit colour of a 0x00BBGGRR colour; a green width other than 6 gives 5-5-5 packing.
    DWORD SX24RGB16Short(DWORD dwColor, BYTE nGreenBits);
    // Brightens (positive) or darkens (negative) one RGB565 pixel, channels clamped.
    WORD SetPixelValue(WORD wPixel, short nChange);
    // A buffer of width x height at 16 or 8 bits; other depths fail with SX_E_UNSUPPORTED.
    DWORD CreateBlankBitmap(_SXBMP* pBmp, DWORD dwWidth, DWORD dwHeight, WORD wBitCount,
                            BYTE bReserved);
    // A new palette the caller releases with FreePalette, or null.
    _SXPALETTE* LoadPalette(LPCWSTR lpszPath);

    // Decodes a JPEG, GIF or BMP file (at most 2048 x 768, larger pictures reduced) into a
    // 24-bit bitmap and selects it into the caller's surface; the caller owns the bitmap.
    // Null, after the message "DII Failed!", when the file cannot be read or decoded.
    static HBITMAP LoadJPEG(LPCWSTR lpszPath, CDC* pDC);
    // Decodes the file as LoadJPEG does and fills the record with its RGB565 pixels, read
    // back through the window's surface. "No File!" and SX_E_OPENFILE for a file that cannot
    // be opened; "DII Failed!" and SX_E_UNSUPPORTED, the record emptied, when decoding fails.
    static DWORD LoadJPEG2(HWND hWnd, LPCWSTR lpszPath, _SXBMP* pBmp);
    // The decoder's read callback: up to dwWanted bytes of the open file given as lParam.
    static DWORD GetImageData(LPSTR szBuffer, DWORD dwWanted, LPARAM lParam);

protected:
    // Turns the raw file bytes (dwSize of them) into the record's buffer: 8 and 16 bits are
    // copied, 24 bits converted to top-down RGB565. Always 0.
    static DWORD ConvertToCompatibleBitmap(_SXBMP* pBmp, const BYTE* pRaw);
};
