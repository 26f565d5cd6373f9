#pragma once

#include <platform/CDC.h>

namespace testsupport {

// A memory surface with its own bitmap of the given size, filled with one colour.
struct Surface {
    CDC dc;
    CBitmap bitmap;
    CBitmap* previous = nullptr;

    Surface(int width, int height, COLORREF fill = RGB(255, 255, 255)) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, width, height);
        previous = dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, width, height, fill);
    }
    ~Surface() {
        dc.SelectObject(previous);
        dc.DeleteDC();
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
};

// A memory surface over a 24-bit DIB section of the given size (rows bottom first, as the
// blending's working bitmaps), filled with one colour.
struct DibSurface {
    CDC dc;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;

    DibSurface(int width, int height, COLORREF fill = RGB(255, 255, 255)) {
        BITMAPINFO info;
        info.bmiHeader.biSize = 40;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        dc.CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous = SelectObject(dc.m_hDC, bitmap);
        dc.FillSolidRect(0, 0, width, height, fill);
    }
    ~DibSurface() {
        SelectObject(dc.m_hDC, previous);
        dc.DeleteDC();
        DeleteObject(bitmap);
    }
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
};

} // namespace testsupport
