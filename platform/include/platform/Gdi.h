#pragma once

#include <platform/Handles.h>
#include <platform/Shell.h>
#include <platform/Types.h>
#include <platform/platform_export.h>

#include <cstddef>
#include <cstdint>
#include <functional>

// Drawing surfaces (device contexts) and drawing objects. Surfaces compatible with the display
// hold 32-bit RGB bitmaps; device-independent bitmaps are 24-bit, rows bottom first, each row
// padded to 4 bytes. Copies and fills are exact to the pixel; everything is clipped to the
// surfaces involved.

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 0;
    WORD bmBitsPixel = 0;
    LPVOID bmBits = nullptr;
};

struct LOGPEN {
    UINT lopnStyle = 0;
    POINT lopnWidth;
    COLORREF lopnColor = 0;
};

struct BITMAPINFOHEADER {
    DWORD biSize = 0;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 0;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};

struct RGBQUAD {
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

inline constexpr DWORD BI_RGB = 0;
inline constexpr UINT DIB_RGB_COLORS = 0;

inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD BLACKNESS = 0x00000042;
inline constexpr DWORD WHITENESS = 0x00FF0062;

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

inline constexpr UINT PS_SOLID = 0;
inline constexpr UINT PS_DASH = 1;
inline constexpr UINT PS_NULL = 5;

inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_NOCLIP = 0x0100;
inline constexpr UINT DT_CALCRECT = 0x0400;

inline constexpr int OBJ_PEN = 1;
inline constexpr int OBJ_BRUSH = 2;
inline constexpr int OBJ_FONT = 6;
inline constexpr int OBJ_BITMAP = 7;

inline constexpr int BLACK_PEN = 7;
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int SYSTEM_FONT = 13;

inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Surfaces. GetDC(nullptr) is the display itself: a surface to make compatible objects with,
// whose drawing goes nowhere.
PLATFORM_EXPORT HDC GetDC(HWND hWnd);
PLATFORM_EXPORT int ReleaseDC(HWND hWnd, HDC hDC);
PLATFORM_EXPORT HDC CreateCompatibleDC(HDC hDC);
PLATFORM_EXPORT BOOL DeleteDC(HDC hDC);
PLATFORM_EXPORT HWND WindowFromDC(HDC hDC);

// Objects.
PLATFORM_EXPORT HBITMAP CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight);
PLATFORM_EXPORT HBITMAP CreateDIBSection(HDC hDC, const BITMAPINFO* pbmi, UINT iUsage,
                                         void** ppvBits, HANDLE hSection, DWORD dwOffset);
PLATFORM_EXPORT HPEN CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
PLATFORM_EXPORT HPEN CreatePenIndirect(const LOGPEN* lplgpn);
PLATFORM_EXPORT HBRUSH CreateSolidBrush(COLORREF crColor);
PLATFORM_EXPORT HGDIOBJ GetStockObject(int fnObject);
PLATFORM_EXPORT HGDIOBJ SelectObject(HDC hDC, HGDIOBJ hObject);
PLATFORM_EXPORT HGDIOBJ GetCurrentObject(HDC hDC, UINT uObjectType);
PLATFORM_EXPORT BOOL DeleteObject(HGDIOBJ hObject);
// The description of a bitmap (BITMAP) or a pen (LOGPEN); returns the bytes written, 0 on
// failure.
PLATFORM_EXPORT int GetObjectW(HGDIOBJ hObject, int cbBuffer, LPVOID lpvObject);

// Copies.
PLATFORM_EXPORT BOOL BitBlt(HDC hdcDest, int nXDest, int nYDest, int nWidth, int nHeight,
                            HDC hdcSrc, int nXSrc, int nYSrc, DWORD dwRop);
// Nearest pixel: destination column i takes source column nXSrc + i * nWidthSrc / nWidthDest.
PLATFORM_EXPORT BOOL StretchBlt(HDC hdcDest, int nXDest, int nYDest, int nWidthDest,
                                int nHeightDest, HDC hdcSrc, int nXSrc, int nYSrc, int nWidthSrc,
                                int nHeightSrc, DWORD dwRop);
// A stretched copy that leaves the destination as it is where the source has crTransparent.
PLATFORM_EXPORT BOOL TransparentImage(HDC hdcDest, int nXDest, int nYDest, int nWidthDest,
                                      int nHeightDest, HANDLE hSrc, int nXSrc, int nYSrc,
                                      int nWidthSrc, int nHeightSrc, COLORREF crTransparent);

// Painting.
PLATFORM_EXPORT int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
PLATFORM_EXPORT COLORREF GetPixel(HDC hDC, int nXPos, int nYPos);
PLATFORM_EXPORT COLORREF SetPixel(HDC hDC, int X, int Y, COLORREF crColor);
// The icon at its own size, blended through its mask; a destroyed icon draws nothing.
PLATFORM_EXPORT BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon);
PLATFORM_EXPORT BOOL MoveToEx(HDC hDC, int X, int Y, POINT* lpPoint);
// Draws with the selected pen up to, not including, the end point.
PLATFORM_EXPORT BOOL LineTo(HDC hDC, int nXEnd, int nYEnd);

// Text in the system font. Lines break only at CR LF. DT_CALCRECT keeps the rectangle's left
// and top and sets its right and bottom to the text's extent.
PLATFORM_EXPORT int DrawTextW(HDC hDC, LPCWSTR lpString, int nCount, LPRECT lpRect, UINT uFormat);
PLATFORM_EXPORT BOOL GetTextExtentPoint32W(HDC hDC, LPCWSTR lpString, int c, SIZE* lpSize);
PLATFORM_EXPORT int SetBkMode(HDC hDC, int iBkMode);
PLATFORM_EXPORT int GetBkMode(HDC hDC);
PLATFORM_EXPORT COLORREF SetTextColor(HDC hDC, COLORREF crColor);
PLATFORM_EXPORT COLORREF SetBkColor(HDC hDC, COLORREF crColor);

// Bitmap resources of the program, added at start-up from the bytes of a BMP file.
inline LPCWSTR MAKEINTRESOURCE(UINT id) {
    return reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(id));
}
PLATFORM_EXPORT HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName);
// Loads a BMP file into a bitmap compatible with the display.
PLATFORM_EXPORT HBITMAP SHLoadDIBitmap(LPCWSTR szFileName);

namespace platform {

// Makes BMP bytes built into the program the bitmap resource `id`. The bytes are used where
// they are, not copied, so they must stay for as long as the resource may be loaded.
PLATFORM_EXPORT void AddBitmapResource(UINT id, const BYTE* bytes, std::size_t size);

// The pixel memory of a memory surface that holds a bitmap compatible with the display:
// 32-bit pixels (blue, green, red, then a byte kept at 255), rows from the top, `stride` bytes
// apart. For code that computes pixels itself; valid while the bitmap stays selected.
struct SurfacePixels {
    BYTE* bits = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
};
// False, leaving `pixels` as it was, for every other surface: windows, the display, DIB
// sections, a surface without a bitmap of its own.
PLATFORM_EXPORT bool GetSurfacePixels(HDC hDC, SurfacePixels* pixels);

// Each copy to a window's surface is shown at once as its own frame; with pacing on, frames
// are spaced at the display's refresh interval. Tests and benchmarks turn pacing off.
PLATFORM_EXPORT void SetFramePacing(bool on);
// Called after each copy to a window's surface has landed, with the area copied; tests read
// the frame there. An empty hook removes it.
using WindowCopyHook = std::function<void(HWND hWnd, RECT area)>;
PLATFORM_EXPORT void SetWindowCopyHook(WindowCopyHook hook);
// Copies made to the window's surface since it was created.
PLATFORM_EXPORT int WindowCopyCount(HWND hWnd);
// Saves what the window shows as a PNG file (host path, UTF-8).
PLATFORM_EXPORT bool SaveWindowImage(HWND hWnd, const char* hostPath);
// Saves a bitmap as a PNG file.
PLATFORM_EXPORT bool SaveBitmapImage(HBITMAP hBitmap, const char* hostPath);
// Number of drawing objects and surfaces alive, for leak checks.
PLATFORM_EXPORT int LiveGdiObjectCount();
// The height of one line of the system font.
PLATFORM_EXPORT int SystemFontLineHeight();

} // namespace platform
