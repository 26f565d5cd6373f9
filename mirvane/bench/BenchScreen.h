#pragma once

#include <platform/CDC.h>
#include <platform/CWnd.h>

namespace mirvane::bench {

// The main view's stand-in for a window under measurement: a 240 x 294 top-level window and
// a skin surface of one colour, frame pacing off.
struct BenchView {
    CWnd view;
    CDC skin;
    CBitmap skinBitmap;

    explicit BenchView(COLORREF color) {
        platform::SetFramePacing(false);
        view.Create(nullptr, u"Tovalo", 0, RECT{0, 0, 240, 294}, nullptr, 0);
        CClientDC dc(&view);
        skin.CreateCompatibleDC(&dc);
        skinBitmap.CreateCompatibleBitmap(&dc, 240, 294);
        skin.SelectObject(&skinBitmap);
        skin.FillSolidRect(0, 0, 240, 294, color);
    }
};

} // namespace mirvane::bench
