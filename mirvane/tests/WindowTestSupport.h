#pragma once

#include <platform/CDC.h>
#include <platform/CWnd.h>
#include <platform/Gdi.h>

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What the windows' tests share: a main-view stand-in that records the windows' notices, a
// skin surface with a pattern that every pixel can be checked against, and pixel reading.
namespace mirvanetest {

struct Notice {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    int nCopiesSeen = 0; // copies the selector had shown when the notice arrived
    friend bool operator==(const Notice& a, const Notice& b) {
        return a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
    }
    friend std::ostream& operator<<(std::ostream& os, const Notice& n) {
        return os << "0x" << std::hex << n.message << std::dec << "(" << n.wParam << "," << n.lParam
                  << ")";
    }
};

class ParentWnd : public CWnd {
public:
    ~ParentWnd() override { DestroyWindow(); }

    std::vector<Notice> m_notices;
    HWND m_hWatched = nullptr;

protected:
    LRESULT OnNextGroup(WPARAM wParam, LPARAM lParam) {
        Record(0x1105, wParam, lParam);
        return 0;
    }
    LRESULT OnPrevGroup(WPARAM wParam, LPARAM lParam) {
        Record(0x1106, wParam, lParam);
        return 0;
    }
    // The program column's notice that a key scroll entered another group.
    LRESULT OnIconGroupChanged(WPARAM wParam, LPARAM lParam) {
        Record(0x19B3, wParam, lParam);
        return 0;
    }
    void Record(UINT message, WPARAM wParam, LPARAM lParam) {
        int nCopies = m_hWatched ? platform::WindowCopyCount(m_hWatched) : 0;
        m_notices.push_back({message, wParam, lParam, nCopies});
    }
    DECLARE_MESSAGE_MAP()
};

// The skin's colour at a point of the 240 x 294 view: varied enough that a pixel copied from
// the wrong place shows, and never the arrows' transparent red.
constexpr COLORREF SkinColor(int x, int y) {
    return RGB(static_cast<BYTE>(40 + (x * 7) % 180), static_cast<BYTE>(30 + (y * 5) % 200),
               static_cast<BYTE>(60 + ((x + y) * 3) % 150));
}

// A memory surface of the given size, compatible with the display.
class Surface {
public:
    Surface(int nWidth, int nHeight) : m_nWidth(nWidth), m_nHeight(nHeight) {
        HDC hScreen = GetDC(nullptr);
        CDC* pScreen = CDC::FromHandle(hScreen);
        m_dc.CreateCompatibleDC(pScreen);
        m_bitmap.CreateCompatibleBitmap(pScreen, nWidth, nHeight);
        m_dc.SelectObject(&m_bitmap);
        ReleaseDC(nullptr, hScreen);
    }
    CDC& dc() { return m_dc; }
    CBitmap& bitmap() { return m_bitmap; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

private:
    int m_nWidth;
    int m_nHeight;
    CDC m_dc;
    CBitmap m_bitmap;
};

// The main view's background surface holding the skin.
class SkinSurface : public Surface {
public:
    SkinSurface() : Surface(240, 294) {
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x)
                dc().SetPixel(x, y, SkinColor(x, y));
    }
};

// One blended byte: the band's weight is the opacity, the skin's the rest, over 256.
constexpr BYTE Blend(BYTE source, BYTE background, unsigned opacity) {
    return static_cast<BYTE>((opacity * source + (255 - opacity) * background) >> 8);
}
constexpr COLORREF Blend(COLORREF source, COLORREF background, unsigned opacity) {
    return RGB(Blend(GetRValue(source), GetRValue(background), opacity),
               Blend(GetGValue(source), GetGValue(background), opacity),
               Blend(GetBValue(source), GetBValue(background), opacity));
}

// What a window shows, pixel by pixel.
inline COLORREF Shown(HWND hWnd, int x, int y) {
    HDC hDC = GetDC(hWnd);
    COLORREF color = GetPixel(hDC, x, y);
    ReleaseDC(hWnd, hDC);
    return color;
}

struct Mismatch {
    int x, y;
    COLORREF shown, expected;
};

// Compares a picture with an expected one over (0, 0, width, height); returns the first few
// differences.
inline std::vector<Mismatch> Differences(HDC hShown, CDC& expected, int nWidth, int nHeight) {
    std::vector<Mismatch> found;
    for (int y = 0; y < nHeight && found.size() < 5; ++y)
        for (int x = 0; x < nWidth && found.size() < 5; ++x) {
            COLORREF shown = GetPixel(hShown, x, y);
            COLORREF want = expected.GetPixel(x, y);
            if (shown != want)
                found.push_back({x, y, shown, want});
        }
    return found;
}

inline std::vector<Mismatch> Differences(HWND hWnd, CDC& expected, int nWidth, int nHeight) {
    HDC hDC = GetDC(hWnd);
    auto found = Differences(hDC, expected, nWidth, nHeight);
    ReleaseDC(hWnd, hDC);
    return found;
}

inline std::string Describe(const std::vector<Mismatch>& found) {
    std::string text;
    char line[96];
    for (const auto& m : found) {
        std::snprintf(line, sizeof(line), "(%d,%d) shown %06X expected %06X; ", m.x, m.y,
                      static_cast<unsigned>(m.shown), static_cast<unsigned>(m.expected));
        text += line;
    }
    return text;
}

// Where the pictures of the windows are saved for looking at.
inline std::filesystem::path PictureFolder() {
    std::filesystem::path folder = std::filesystem::path(TOVALO_BIN_DIR).parent_path() / "pictures";
    std::filesystem::create_directories(folder);
    return folder;
}

// A device folder and a top-level view with the skin, frame pacing off.
class WindowTest : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        platform::SetFramePacing(false);
        ASSERT_TRUE(m_parent.Create(nullptr, u"Tovalo", 0, RECT{0, 0, 240, 294}, nullptr, 0));
        m_skin.emplace();
    }

    ParentWnd m_parent;
    std::optional<SkinSurface> m_skin;
};

} // namespace mirvanetest
