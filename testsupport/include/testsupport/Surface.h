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

} // namespace testsupport
