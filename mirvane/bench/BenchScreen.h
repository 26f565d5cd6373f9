#pragma once

#include <platform/CDC.h>
#include <platform/CWnd.h>

#include <chrono>

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

// The mean time of one call, over many.
template <class Call> double NanosecondsPer(Call call, int times = 2000) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i)
        call();
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / times;
}

} // namespace mirvane::bench
