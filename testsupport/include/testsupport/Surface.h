#pragma once

#include <platform/CDC.h>

namespace testsupport {

// A memory surface with its own bitmap of the given size, filled with one colour: a 32-bit
// one, or a 24-bit DIB section (rows bottom first, as the blending's working bitmaps) whose
// bytes lie at `bits`.
struct Surface {
    CDC dc;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    void* bits = nullptr;

    Surface(int width, int height, COLORREF fill = RGB(255, 255, 255), bool dib = false) {
        dc.CreateCompatibleDC(nullptr);
        const BITMAPINFO info{{40, width, height, 1, 24}, {}};
        bitmap = dib ? CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0)
                     : CreateCompatibleBitmap(dc.m_hDC, width, height);
        previous = SelectObject(dc.m_hDC, bitmap);
        dc.FillSolidRect(0, 0, width, height, fill);
    }
    ~Surface() {
        SelectObject(dc.m_hDC, previous);
        dc.DeleteDC();
        DeleteObject(bitmap);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
};

struct DibSurface : Surface {
    DibSurface(int width, int height, COLORREF fill = RGB(255, 255, 255))
        : Surface(width, height, fill, true) {}
};

} // namespace testsupport
