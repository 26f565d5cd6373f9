#include <platform/CDC.h>
#include <platform/PreparedText.h>
#include <platform/Shell.h>

#include <testsupport/Surface.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Names as launchers carry them: short and long, kerned pairs and ligatures whose glyphs share
// pixels, accents, other scripts, line breaks, nothing at all.
const std::u16string kNames[] = {u"Calendar",
                                 u"Contacts",
                                 u"File Explorer",
                                 u"Internet Explorer",
                                 u"Pocket Word",
                                 u"Calculator and Unit Converter",
                                 u"AV To Ty Wa",
                                 u"office ffi ffl fj",
                                 u"Wg jypq",
                                 u"Ünïcödé ÄÖÜ ß",
                                 u"e\u0301 combined",
                                 u"עברית",
                                 u"日本語",
                                 u"@#%&*()[]{}|\\/",
                                 u"",
                                 u" ",
                                 u"Program number 49",
                                 u"Group 12",
                                 u"two\r\nlines",
                                 u"a\r\n\r\nc",
                                 u"tail\r\n",
                                 u"lone\rcr and \nlf",
                                 u"WWWWWWWWWWWWWWWWWWWWWWWWW",
                                 u"iiiiiiiiiiiiiiiiiiiii",
                                 u"Tovalo Setting"};

struct Format {
    const char* name;
    UINT flags;
};

const Format kFormats[] = {{"left", DT_LEFT | DT_TOP},  {"right", DT_RIGHT},
                           {"centre", DT_CENTER},       {"no clip", DT_NOCLIP},
                           {"one line", DT_SINGLELINE}, {"right, no clip", DT_RIGHT | DT_NOCLIP}};

// Boxes as the windows give them and worse: the measured extent, a box too narrow and too
// low, one reaching past the surface's edges.
std::vector<RECT> BoxesFor(SIZE extent) {
    return {RECT{37, 14, 37 + extent.cx, 14 + extent.cy}, RECT{5, 3, 5 + extent.cx / 2, 3 + 6},
            RECT{-7, -4, 90, 20}, RECT{60, 30, 160, 60}, RECT{2, 2, 2 + extent.cx + 9, 40}};
}

void Randomise(CDC& a, CDC& b, int w, int h, std::mt19937& random) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = random() & 0xFFFFFF;
            a.SetPixel(x, y, c);
            b.SetPixel(x, y, c);
        }
}

// On random backgrounds, a prepared text leaves exactly DrawTextW's pixels, on 32-bit surfaces
// and on 24-bit DIB sections, for every format and box, and measures as DT_CALCRECT does.
TEST(PreparedText, DrawsExactlyWhatDrawTextWDraws) {
    std::mt19937 random(5);
    constexpr int W = 118, H = 50;
    for (bool dib : {false, true}) {
        testsupport::Surface directMemory(W, H), preparedMemory(W, H);
        testsupport::DibSurface directDib(W, H), preparedDib(W, H);
        CDC& directDc = dib ? directDib.dc : directMemory.dc;
        CDC& preparedDc = dib ? preparedDib.dc : preparedMemory.dc;
        for (const std::u16string& name : kNames)
            for (const Format& format : kFormats) {
                const platform::PreparedText text(name, format.flags);
                RECT measured{0, 0, 0, 0};
                DrawTextW(directDc.m_hDC, name.c_str(), static_cast<int>(name.size()), &measured,
                          format.flags | DT_CALCRECT);
                ASSERT_EQ(text.Extent(), (SIZE{measured.right, measured.bottom}))
                    << format.name << " \"" << std::string(name.begin(), name.end()) << "\"";
                for (RECT box : BoxesFor(text.Extent())) {
                    Randomise(directDc, preparedDc, W, H, random);
                    directDc.SetBkMode(TRANSPARENT);
                    preparedDc.SetBkMode(TRANSPARENT);
                    RECT a = box, b = box;
                    const int drawn = DrawTextW(directDc.m_hDC, name.c_str(),
                                                static_cast<int>(name.size()), &a, format.flags);
                    ASSERT_EQ(text.Draw(preparedDc.m_hDC, &b, format.flags), drawn);
                    for (int y = 0; y < H; ++y)
                        for (int x = 0; x < W; ++x)
                            ASSERT_EQ(preparedDc.GetPixel(x, y), directDc.GetPixel(x, y))
                                << (dib ? "DIB, " : "") << format.name << ", box left " << box.left
                                << " top " << box.top << ", name of " << name.size()
                                << " units, at " << x << "," << y;
                }
            }
    }
}

// Coloured text and opaque backgrounds come out as DrawTextW draws them too.
TEST(PreparedText, OtherColoursAndOpaqueBackgroundsAlsoMatch) {
    std::mt19937 random(9);
    testsupport::Surface direct(80, 30), prepared(80, 30);
    const platform::PreparedText text(u"File Explorer", 0);
    for (int bkMode : {TRANSPARENT, OPAQUE})
        for (COLORREF colour : {RGB(0, 0, 0), RGB(200, 30, 90)}) {
            Randomise(direct.dc, prepared.dc, 80, 30, random);
            for (CDC* dc : {&direct.dc, &prepared.dc}) {
                dc->SetBkMode(bkMode);
                dc->SetTextColor(colour);
                dc->SetBkColor(RGB(10, 220, 40));
            }
            RECT a{3, 4, 70, 20}, b = a;
            DrawTextW(direct.dc.m_hDC, text.Text().c_str(), -1, &a, 0);
            text.Draw(prepared.dc.m_hDC, &b, 0);
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 80; ++x)
                    ASSERT_EQ(prepared.dc.GetPixel(x, y), direct.dc.GetPixel(x, y))
                        << bkMode << " " << colour << " at " << x << "," << y;
        }
}

// Icons of every kind of pixel (opaque, clear, half clear) land on a 32-bit surface as the
// toolkit's painter lays them on a 24-bit one's copy, also where they hang over an edge.
TEST(FastDrawing, IconsLandAsThePainterLaysThem) {
    std::mt19937 random(3);
    std::vector<DWORD> pixels(32 * 32);
    for (DWORD& p : pixels) {
        const DWORD alpha = std::vector<DWORD>{0, 255, random() & 0xFF}[random() % 3];
        p = (alpha << 24) | (random() & 0xFFFFFF);
    }
    HICON icon = platform::CreateIconFromPixels(32, 32, pixels.data());
    ASSERT_NE(icon, nullptr);
    constexpr int W = 60, H = 50;
    testsupport::Surface direct(W, H);
    testsupport::DibSurface dib(W, H);
    CDC& dibDc = dib.dc;
    for (POINT at : {POINT{3, 3}, POINT{-10, 30}, POINT{40, -5}}) {
        Randomise(direct.dc, dibDc, W, H, random);
        ASSERT_TRUE(direct.dc.DrawIcon(at.x, at.y, icon));
        ASSERT_TRUE(dibDc.DrawIcon(at.x, at.y, icon));
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(direct.dc.GetPixel(x, y), dibDc.GetPixel(x, y))
                    << "icon at " << at.x << "," << at.y << ", pixel " << x << "," << y;
    }
    DestroyIcon(icon);
}

} // namespace
