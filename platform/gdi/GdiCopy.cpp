#include "gdi/GdiObjects.h"

#include "windows/WindowState.h"

#include <QRect>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace platform::detail;

namespace {

// The part of a w x h copy from (xs, ys) to (xd, yd) that lies inside both surfaces.
struct Span {
    int x0, y0, x1, y1; // offsets inside the copy, [x0, x1) x [y0, y1)
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

Span ClipCopy(const PixelView& dst, int xd, int yd, const PixelView& src, int xs, int ys, int w,
              int h) {
    Span s;
    s.x0 = std::max({0, -xd, -xs});
    s.y0 = std::max({0, -yd, -ys});
    s.x1 = std::min({w, dst.width - xd, src.width - xs});
    s.y1 = std::min({h, dst.height - yd, src.height - ys});
    return s;
}

void CopyRow(const PixelView& dst, int xd, int yd, const PixelView& src, int xs, int ys,
             int count) {
    if (dst.bytesPerPixel == src.bytesPerPixel) {
        std::memmove(dst.At(xd, yd), src.At(xs, ys),
                     static_cast<std::size_t>(count) * dst.bytesPerPixel);
        return;
    }
    BYTE* d = dst.At(xd, yd);
    const BYTE* s = src.At(xs, ys);
    if (count <= 0)
        return;
    // Whole 4-byte words, the last pixel alone so that nothing past the row is touched; a
    // 3-byte write of one word's low bytes is overwritten by the next pixel.
    const int last = count - 1;
    if (dst.bytesPerPixel == 4) {
        for (int i = 0; i < last; ++i) {
            std::uint32_t v;
            std::memcpy(&v, s + 3 * i, 4);
            v |= 0xFF000000u;
            std::memcpy(d + 4 * i, &v, 4);
        }
        d[4 * last] = s[3 * last];
        d[4 * last + 1] = s[3 * last + 1];
        d[4 * last + 2] = s[3 * last + 2];
        d[4 * last + 3] = 0xFF;
    } else {
        for (int i = 0; i < last; ++i)
            std::memcpy(d + 3 * i, s + 4 * i, 4);
        std::memcpy(d + 3 * last, s + 4 * last, 3);
    }
}

// A private copy of a source that is also the destination, so that overlapping copies read
// the pixels as they were before the copy.
struct Snapshot {
    std::vector<BYTE> bytes;
    PixelView view;
};

Snapshot Snap(const PixelView& src) {
    Snapshot snap;
    const int rowBytes = src.width * src.bytesPerPixel;
    snap.bytes.resize(static_cast<std::size_t>(rowBytes) * src.height);
    for (int y = 0; y < src.height; ++y)
        std::memcpy(snap.bytes.data() + static_cast<std::size_t>(y) * rowBytes, src.At(0, y),
                    rowBytes);
    snap.view = PixelView{snap.bytes.data(), rowBytes, src.width, src.height, src.bytesPerPixel};
    return snap;
}

bool SameSurface(const PixelView& a, const PixelView& b) {
    return a.top == b.top;
}

PixelView SourceView(HANDLE source) {
    if (LookupDc(source))
        return ViewOf(static_cast<HDC>(source), false);
    if (GdiBitmap* b = LookupBitmap(source))
        return b->View(false);
    return {};
}

void Fill(const PixelView& dst, QRect area, DWORD pixel) {
    area &= QRect(0, 0, dst.width, dst.height);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            dst.Write(x, y, pixel);
}

// A copy of a whole compatible bitmap over a whole window of its size gives the window the
// bitmap's pixels to share; Qt copies them only when one of the two is drawn on. A window
// showing a backdrop, or a surface copied out whole each frame, keeps no second copy of it.
bool ShareWhole(HDC hdcDest, int x, int y, int w, int h, HDC hdcSrc, int xs, int ys) {
    const GdiDc* d = LookupDc(hdcDest);
    const GdiDc* s = LookupDc(hdcSrc);
    if (!d || !s || d->kind != DcKind::Window || s->kind != DcKind::Memory || x != 0 || y != 0 ||
        xs != 0 || ys != 0)
        return false;
    WindowState* state = WindowState::Of(d->window);
    const GdiBitmap* b = LookupBitmap(s->bitmap);
    if (!state || !b || b->dib || b->image.format() != QImage::Format_RGB32 ||
        b->image.size() != state->screenSize || w < b->width || h < b->height)
        return false;
    state->screen = b->image;
    return true;
}

} // namespace

BOOL BitBlt(HDC hdcDest, int nXDest, int nYDest, int nWidth, int nHeight, HDC hdcSrc, int nXSrc,
            int nYSrc, DWORD dwRop) {
    const QRect area(nXDest, nYDest, nWidth, nHeight);
    if (dwRop == SRCCOPY &&
        ShareWhole(hdcDest, nXDest, nYDest, nWidth, nHeight, hdcSrc, nXSrc, nYSrc)) {
        PresentCopy(hdcDest, area);
        return TRUE;
    }
    PixelView dst = ViewOf(hdcDest);
    if (!dst.Valid() || nWidth < 0 || nHeight < 0)
        return FALSE;
    if (dwRop == BLACKNESS || dwRop == WHITENESS) {
        Fill(dst, area, dwRop == BLACKNESS ? 0 : 0xFFFFFF);
        PresentCopy(hdcDest, area);
        return TRUE;
    }
    if (dwRop != SRCCOPY)
        return FALSE;
    PixelView src = ViewOf(hdcSrc, false);
    if (!src.Valid())
        return FALSE;
    Snapshot snap;
    if (SameSurface(dst, src)) {
        snap = Snap(src);
        src = snap.view;
    }
    Span s = ClipCopy(dst, nXDest, nYDest, src, nXSrc, nYSrc, nWidth, nHeight);
    for (int y = s.y0; y < s.y1; ++y)
        CopyRow(dst, nXDest + s.x0, nYDest + y, src, nXSrc + s.x0, nYSrc + y, s.x1 - s.x0);
    PresentCopy(hdcDest, area);
    return TRUE;
}

namespace {

// Nearest-pixel stretch; skips source pixels equal to `key` when one is given.
BOOL Stretch(HDC hdcDest, int xd, int yd, int wd, int hd, PixelView src, int xs, int ys, int ws,
             int hs, const DWORD* key) {
    PixelView dst = ViewOf(hdcDest);
    if (!dst.Valid() || !src.Valid() || wd < 0 || hd < 0 || ws <= 0 || hs <= 0)
        return FALSE;
    Snapshot snap;
    if (SameSurface(dst, src)) {
        snap = Snap(src);
        src = snap.view;
    }
    const int i0 = std::max(0, -xd), i1 = std::min(wd, dst.width - xd);
    const int j0 = std::max(0, -yd), j1 = std::min(hd, dst.height - yd);
    for (int j = j0; j < j1; ++j) {
        const int sy = ys + static_cast<int>(static_cast<long long>(j) * hs / hd);
        if (sy < 0 || sy >= src.height)
            continue;
        for (int i = i0; i < i1; ++i) {
            const int sx = xs + static_cast<int>(static_cast<long long>(i) * ws / wd);
            if (sx < 0 || sx >= src.width)
                continue;
            const DWORD pixel = src.Read(sx, sy);
            if (!key || pixel != *key)
                dst.Write(xd + i, yd + j, pixel);
        }
    }
    PresentCopy(hdcDest, QRect(xd, yd, wd, hd));
    return TRUE;
}

} // namespace

BOOL StretchBlt(HDC hdcDest, int nXDest, int nYDest, int nWidthDest, int nHeightDest, HDC hdcSrc,
                int nXSrc, int nYSrc, int nWidthSrc, int nHeightSrc, DWORD dwRop) {
    if (dwRop != SRCCOPY)
        return FALSE;
    if (nWidthDest == nWidthSrc && nHeightDest == nHeightSrc)
        return BitBlt(hdcDest, nXDest, nYDest, nWidthDest, nHeightDest, hdcSrc, nXSrc, nYSrc,
                      SRCCOPY);
    return Stretch(hdcDest, nXDest, nYDest, nWidthDest, nHeightDest, ViewOf(hdcSrc, false), nXSrc,
                   nYSrc, nWidthSrc, nHeightSrc, nullptr);
}

BOOL TransparentImage(HDC hdcDest, int nXDest, int nYDest, int nWidthDest, int nHeightDest,
                      HANDLE hSrc, int nXSrc, int nYSrc, int nWidthSrc, int nHeightSrc,
                      COLORREF crTransparent) {
    const DWORD key = PixelOf(crTransparent);
    return Stretch(hdcDest, nXDest, nYDest, nWidthDest, nHeightDest, SourceView(hSrc), nXSrc, nYSrc,
                   nWidthSrc, nHeightSrc, &key);
}

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    PixelView dst = ViewOf(hDC);
    GdiBrush* brush = LookupBrush(hbr);
    if (!dst.Valid() || !lprc || !brush)
        return 0;
    const QRect area(lprc->left, lprc->top, lprc->right - lprc->left, lprc->bottom - lprc->top);
    Fill(dst, area, PixelOf(brush->color));
    ShowPainted(hDC, area);
    return 1;
}

COLORREF GetPixel(HDC hDC, int nXPos, int nYPos) {
    PixelView view = ViewOf(hDC, false);
    if (!view.Valid() || nXPos < 0 || nYPos < 0 || nXPos >= view.width || nYPos >= view.height)
        return CLR_INVALID;
    return ColorOf(view.Read(nXPos, nYPos));
}

COLORREF SetPixel(HDC hDC, int X, int Y, COLORREF crColor) {
    PixelView view = ViewOf(hDC);
    if (!view.Valid() || X < 0 || Y < 0 || X >= view.width || Y >= view.height)
        return CLR_INVALID;
    view.Write(X, Y, PixelOf(crColor));
    ShowPainted(hDC, QRect(X, Y, 1, 1));
    return crColor;
}

BOOL MoveToEx(HDC hDC, int X, int Y, POINT* lpPoint) {
    GdiDc* dc = LookupDc(hDC);
    if (!dc)
        return FALSE;
    if (lpPoint)
        *lpPoint = dc->position;
    dc->position = POINT{X, Y};
    return TRUE;
}

namespace {

// A dashed pen draws kDash pixels, then leaves kGap, starting afresh with each line.
constexpr int kDash = 5;
constexpr int kGap = 3;

} // namespace

BOOL LineTo(HDC hDC, int nXEnd, int nYEnd) {
    GdiDc* dc = LookupDc(hDC);
    if (!dc)
        return FALSE;
    GdiPen* pen = LookupPen(dc->pen);
    if (!pen)
        pen = LookupPen(StockPen());
    const POINT from = dc->position;
    dc->position = POINT{nXEnd, nYEnd};
    PixelView view = ViewOf(hDC);
    if (!view.Valid() || pen->log.lopnStyle == PS_NULL)
        return TRUE;
    const DWORD pixel = PixelOf(pen->log.lopnColor);
    const int thick = std::max(1, static_cast<int>(pen->log.lopnWidth.x));
    const bool dashed = pen->log.lopnStyle == PS_DASH;
    auto plot = [&](int x, int y) {
        for (int dy = 0; dy < thick; ++dy)
            for (int dx = 0; dx < thick; ++dx) {
                const int px = x + dx - thick / 2, py = y + dy - thick / 2;
                if (px >= 0 && py >= 0 && px < view.width && py < view.height)
                    view.Write(px, py, pixel);
            }
    };
    // Bresenham, the end point left out.
    int x = from.x, y = from.y;
    const int dx = std::abs(nXEnd - x), sx = x < nXEnd ? 1 : -1;
    const int dy = -std::abs(nYEnd - y), sy = y < nYEnd ? 1 : -1;
    int err = dx + dy;
    for (int step = 0; x != nXEnd || y != nYEnd; ++step) {
        if (!dashed || step % (kDash + kGap) < kDash)
            plot(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    ShowPainted(
        hDC,
        QRect(QPoint(std::min<int>(from.x, nXEnd) - thick, std::min<int>(from.y, nYEnd) - thick),
              QPoint(std::max<int>(from.x, nXEnd) + thick, std::max<int>(from.y, nYEnd) + thick)));
    return TRUE;
}
