#pragma once

#include <platform/Gdi.h>

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <variant>

namespace platform::detail {

// Where a surface's pixels are: rows from the top, each `stride` bytes after the one above
// (negative for bottom-up bitmaps), pixels of 4 bytes (B, G, R, x) or 3 bytes (B, G, R).
struct PixelView {
    BYTE* top = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 4;

    bool Valid() const { return top != nullptr && width > 0 && height > 0; }
    BYTE* At(int x, int y) const { return top + y * stride + x * bytesPerPixel; }
    // 0x00RRGGBB
    DWORD Read(int x, int y) const {
        const BYTE* p = At(x, y);
        return DWORD{p[0]} | (DWORD{p[1]} << 8) | (DWORD{p[2]} << 16);
    }
    void Write(int x, int y, DWORD rgb) const {
        BYTE* p = At(x, y);
        p[0] = static_cast<BYTE>(rgb);
        p[1] = static_cast<BYTE>(rgb >> 8);
        p[2] = static_cast<BYTE>(rgb >> 16);
        if (bytesPerPixel == 4)
            p[3] = 0xFF;
    }
};

// The raster engine's product of each byte of a pixel and a weight of 0 to 255, rounded as it
// rounds it; what text and pictures blended over a surface are made of.
inline std::uint32_t ByteMul(std::uint32_t x, std::uint32_t a) {
    std::uint32_t t = (x & 0xFF00FF) * a;
    t = ((t + ((t >> 8) & 0xFF00FF) + 0x800080) >> 8) & 0xFF00FF;
    x = ((x >> 8) & 0xFF00FF) * a;
    x = (x + ((x >> 8) & 0xFF00FF) + 0x800080) & 0xFF00FF00;
    return x | t;
}

// 0x00BBGGRR colour value to the 0x00RRGGBB order of the pixels.
constexpr DWORD PixelOf(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF ColorOf(DWORD pixel) {
    return PixelOf(pixel);
}

// Pixel memory of 24-bit bitmaps, handed back to a pool when the bitmap goes so that the
// working bitmaps of repeated blends reuse pages already touched.
class DibBuffer {
public:
    explicit DibBuffer(std::size_t bytes);
    DibBuffer(const DibBuffer&) = delete;
    DibBuffer& operator=(const DibBuffer&) = delete;
    ~DibBuffer();
    BYTE* data() const { return m_data.get(); }

private:
    std::unique_ptr<BYTE[]> m_data;
    std::size_t m_bytes;
};

struct GdiBitmap {
    // Compatible bitmaps are 32-bit RGB images; DIB sections own 24-bit bottom-up memory.
    QImage image;
    std::unique_ptr<DibBuffer> dib;
    int width = 0;
    int height = 0;
    std::ptrdiff_t dibStride = 0;
    bool bottomUp = true;
    HDC selectedIn = nullptr;

    // For reading only (write false), a picture shared with a window stays shared.
    PixelView View(bool write = true);
};

struct GdiPen {
    LOGPEN log;
};

struct GdiBrush {
    COLORREF color = 0;
};

enum class DcKind { Memory, Window, Display };

struct GdiDc {
    DcKind kind = DcKind::Memory;
    HWND window = nullptr;
    HBITMAP bitmap = nullptr;
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    int bkMode = OPAQUE;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    POINT position;
};

using GdiObject = std::variant<GdiBitmap, GdiPen, GdiBrush, GdiDc>;

// The table of live objects. Handles are never reused, so a stale handle finds nothing.
GdiObject* Lookup(const void* handle);
GdiBitmap* LookupBitmap(const void* handle);
GdiPen* LookupPen(const void* handle);
GdiBrush* LookupBrush(const void* handle);
GdiDc* LookupDc(const void* handle);
void* Insert(GdiObject object);
bool Erase(const void* handle);
bool IsStock(const void* handle);
int LiveCount();

HBITMAP StockBitmap();
HPEN StockPen();
HBRUSH StockBrush(int which);

// Gives the bitmap 24-bit pixel memory of the size, rows padded to 4 bytes; false when the
// memory cannot be had.
bool AllocateDib(GdiBitmap& bitmap, int width, int height, bool bottomUp);
// A bitmap made from a picture: compatible (32-bit RGB) or a 24-bit DIB section.
HBITMAP CreateBitmapFromImage(const QImage& image, bool dib24);
// The picture of a bitmap, as 32-bit RGB.
QImage ImageOfBitmap(HBITMAP bitmap);

// The pixels a surface draws on; invalid for the display surface or a gone window. A surface
// only read (write false) never copies a picture a window shares.
PixelView ViewOf(HDC dc, bool write = true);
// A picture for QPainter over a surface's pixels when they allow it (32-bit surfaces);
// null otherwise.
QImage* PaintableImageOf(HDC dc);

// Called after a copy lands on a window's surface: counts it and shows it as its own frame.
void PresentCopy(HDC dc, const QRect& area);
// Called after other drawing on a window's surface: shown at the next paint.
void ShowPainted(HDC dc, const QRect& area);

} // namespace platform::detail
