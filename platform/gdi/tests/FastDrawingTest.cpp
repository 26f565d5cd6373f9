#include <platform/CDC.h>
#include <platform/PreparedText.h>
#include <platform/Shell.h>

#include <testsupport/Pixels.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Names as launchers carry them:
const std::u16string kNames[] = {
    // short and long,
    u"Calendar", u"Contacts", u"File Explorer", u"Internet Explorer", u"Pocket Word",
    u"Calculator and Unit Converter", u"Program number 49", u"Group 12", u"Tovalo Setting",
    // kerned pairs and ligatures whose glyphs share pixels, runs of wide and narrow letters,
    u"AV To Ty Wa", u"office ffi ffl fj", u"Wg jypq", u"WWWWWWWWWWWWWWWWWWWWWWWWW",
    u"iiiiiiiiiiiiiiiiiiiii",
    // accents, other scripts, signs,
    u"Ünïcödé ÄÖÜ ß", u"e\u0301 combined", u"עברית", u"日本語", u"@#%&*()[]{}|\\/",
    // line breaks, nothing at all.
    u"two\r\nlines", u"a\r\n\r\nc", u"tail\r\n", u"lone\rcr and \nlf", u"", u" "};

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
// and on 24-bit DIB sections, for every format and box, in black or another colour, on a
// transparent or an opaque background, and measures as DT_CALCRECT does.
TEST(PreparedText, DrawsExactlyWhatDrawTextWDraws) {
    std::mt19937 random(5);
    constexpr int W = 118, H = 50;
    int style = 0;
    for (bool dib : {false, true}) {
        testsupport::Surface direct(W, H, RGB(255, 255, 255), dib);
        testsupport::Surface prepared(W, H, RGB(255, 255, 255), dib);
        for (const std::u16string& name : kNames)
            for (const Format& format : kFormats) {
                const platform::PreparedText text(name, format.flags);
                RECT measured{0, 0, 0, 0};
                DrawTextW(direct.dc.m_hDC, name.c_str(), static_cast<int>(name.size()), &measured,
                          format.flags | DT_CALCRECT);
                ASSERT_EQ(text.Extent(), (SIZE{measured.right, measured.bottom}))
                    << format.name << " \"" << std::string(name.begin(), name.end()) << "\"";
                for (RECT box : BoxesFor(text.Extent())) {
                    Randomise(direct.dc, prepared.dc, W, H, random);
                    ++style;
                    for (CDC* dc : {&direct.dc, &prepared.dc}) {
                        dc->SetBkMode(style % 4 ? TRANSPARENT : OPAQUE);
                        dc->SetTextColor(style % 3 ? RGB(0, 0, 0) : RGB(200, 30, 90));
                        dc->SetBkColor(RGB(10, 220, 40));
                    }
                    RECT a = box, b = box;
                    const int drawn = DrawTextW(direct.dc.m_hDC, name.c_str(),
                                                static_cast<int>(name.size()), &a, format.flags);
                    ASSERT_EQ(text.Draw(prepared.dc.m_hDC, &b, format.flags), drawn);
                    ASSERT_EQ(testsupport::Diff(prepared.dc, direct.dc, W, H), "")
                        << (dib ? "DIB, " : "") << format.name << ", style " << style % 12
                        << ", box left " << box.left << " top " << box.top << ", name of "
                        << name.size() << " units";
                }
            }
    }
}

// Icons of every kind of pixel (opaque, clear, half clear) land on a 32-bit surface as the
// toolkit's painter lays them on a 24-bit one's copy, also where they hang over an edge.
TEST(FastDrawing, IconsLandAsThePainterLaysThem) {
    std::mt19937 random(3);
    std::vector<DWORD> pixels(32 * 32);
    for (DWORD& p : pixels) {
        const DWORD alpha =
            std::vector<DWORD>{0, 255, static_cast<DWORD>(random() & 0xFF)}[random() % 3];
        p = (alpha << 24) | (random() & 0xFFFFFF);
    }
    HICON icon = platform::CreateIconFromPixels(32, 32, pixels.data());
    ASSERT_NE(icon, nullptr);
    constexpr int W = 60, H = 50;
    testsupport::Surface direct(W, H);
    testsupport::DibSurface dib(W, H);
    for (POINT at : {POINT{3, 3}, POINT{-10, 30}, POINT{40, -5}}) {
        Randomise(direct.dc, dib.dc, W, H, random);
        ASSERT_TRUE(direct.dc.DrawIcon(at.x, at.y, icon));
        ASSERT_TRUE(dib.dc.DrawIcon(at.x, at.y, icon));
        ASSERT_EQ(testsupport::Diff(direct.dc, dib.dc, W, H), "")
            << "icon at " << at.x << "," << at.y;
    }
    DestroyIcon(icon);
}

} // namespace
