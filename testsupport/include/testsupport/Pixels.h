#pragma once

#include <testsupport/Surface.h>

#include <platform/Gdi.h>
#include <platform/Shell.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Reading, comparing and recording what windows show.
namespace testsupport {

// A colour for every point of a 240 x 294 picture, varied enough that a pixel copied from the
// wrong place shows, and never pure red.
constexpr COLORREF PatternColor(int x, int y) {
    return RGB(40 + (x * 7) % 180, 30 + (y * 5) % 200, 60 + ((x + y) * 3) % 150);
}

// One constant-opacity blend: (a * source + (255 - a) * background) >> 8 per byte.
constexpr COLORREF Blend(COLORREF s, COLORREF b, unsigned a) {
    auto mix = [a](unsigned s, unsigned b) { return (a * s + (255 - a) * b) >> 8; };
    return RGB(mix(GetRValue(s), GetRValue(b)), mix(GetGValue(s), GetGValue(b)),
               mix(GetBValue(s), GetBValue(b)));
}

inline COLORREF At(HWND hWnd, int x, int y) {
    HDC hDC = GetDC(hWnd);
    COLORREF color = GetPixel(hDC, x, y);
    ReleaseDC(hWnd, hDC);
    return color;
}

inline std::unique_ptr<Surface> Snapshot(HWND hWnd, int nWidth, int nHeight) {
    auto picture = std::make_unique<Surface>(nWidth, nHeight);
    HDC hShown = GetDC(hWnd);
    BitBlt(picture->dc, 0, 0, nWidth, nHeight, hShown, 0, 0, SRCCOPY);
    ReleaseDC(hWnd, hShown);
    return picture;
}

// The first differences between two pictures; empty if none.
inline std::string Diff(CDC& shown, CDC& expected, int nWidth, int nHeight) {
    std::string text;
    char line[64];
    for (int y = 0, n = 0; y < nHeight && n < 5; ++y)
        for (int x = 0; x < nWidth && n < 5; ++x)
            if (COLORREF c = shown.GetPixel(x, y), want = expected.GetPixel(x, y); c != want) {
                std::snprintf(line, sizeof line, "(%d,%d) %06X not %06X; ", x, y,
                              static_cast<unsigned>(c), static_cast<unsigned>(want));
                text += line, ++n;
            }
    return text;
}

// An icon whose left half is one colour and right half another.
inline HICON TwoToneIcon(int nSize, COLORREF left, COLORREF right) {
    std::vector<DWORD> pixels(nSize * nSize);
    for (int i = 0; i < nSize * nSize; ++i) {
        const COLORREF c = i % nSize < nSize / 2 ? left : right;
        pixels[i] = 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
    return platform::CreateIconFromPixels(nSize, nSize, pixels.data());
}

// Keeps every area copied to one window and the window's picture after each copy.
struct FrameRecorder {
    FrameRecorder(HWND hWnd, int nWidth, int nHeight) {
        platform::SetWindowCopyHook([=, this](HWND hTarget, RECT area) {
            if (hTarget == hWnd)
                areas.push_back(area), frames.push_back(Snapshot(hWnd, nWidth, nHeight));
        });
    }
    ~FrameRecorder() { platform::SetWindowCopyHook({}); }
    std::vector<RECT> areas;
    std::vector<std::unique_ptr<Surface>> frames;
};

} // namespace testsupport
