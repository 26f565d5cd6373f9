#include <platform/CDC.h>
#include <platform/CWnd.h>

#include <testsupport/ImageFiles.h>
#include <testsupport/Pixels.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using testsupport::Surface;

constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
                   kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

// Small pictures written as text: one letter a pixel, rows split by '/'; 'r' is a red one
// step off pure red.
constexpr std::string_view kLetters = "RGBWKr";
constexpr COLORREF kColours[] = {kRed, kGreen, kBlue, kWhite, kBlack, RGB(254, 0, 0)};

void Paint(CDC& dc, std::string_view rows) {
    for (int x = 0, y = 0; char c : rows)
        if (c == '/')
            ++y, x = 0;
        else
            dc.SetPixel(x++, y, kColours[kLetters.find(c)]);
}

std::string Read(CDC& dc, int w, int h) {
    std::string rows;
    for (int y = 0; y < h; ++y) {
        if (y)
            rows += '/';
        for (int x = 0; x < w; ++x) {
            const COLORREF c = dc.GetPixel(x, y);
            const auto* at = std::find(std::begin(kColours), std::end(kColours), c);
            rows += at == std::end(kColours) ? '?' : kLetters[at - kColours];
        }
    }
    return rows;
}

std::vector<int> DarkColumns(CDC& dc, int y, int x0, int x1) {
    std::vector<int> columns;
    for (int x = x0; x < x1; ++x)
        if (GetRValue(dc.GetPixel(x, y)) < 128)
            columns.push_back(x);
    return columns;
}

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override { m_live = platform::LiveGdiObjectCount(); }
    void TearDown() override { EXPECT_EQ(platform::LiveGdiObjectCount(), m_live); }
    int m_live = 0;
};

struct Area {
    int x, y, w = 0, h = 0;
};

// A 4 x 2 source copied onto a white 4 x 3, or within the destination painted with it.
struct Copy {
    const char* name;
    const char* source;
    char how; // BitBlt, StretchBlt, TransparentImage keyed on red, BitBlt within
    Area to, from;
    const char* expected;
};

const Copy kCopies[] = {
    {"block", "RGBK/rKGW", 'b', {1, 1, 2, 2}, {1, 0}, "WWWW/WGBW/WKGW"},
    // Partly outside both surfaces: only the overlap is copied.
    {"clipped", "RGBK/rWKB", 'b', {-1, 2, 4, 3}, {2, 1}, "WWWW/WWWW/BWWW"},
    // Overlapping on one surface: the pixels are read as they were.
    {"overlap", "RGBK/KBGR", 'w', {1, 1, 3, 2}, {0, 0}, "RGBK/KRGB/WKBG"},
    {"stretch up", "RGBK/rWWW", 's', {0, 0, 4, 3}, {0, 0, 2, 2}, "RRGG/RRGG/rrWW"},
    {"stretch down", "RGBK/rWWW", 's', {0, 0, 2, 1}, {0, 0, 4, 2}, "RBWW/WWWW/WWWW"},
    {"transparent", "RBrK/RRRR", 't', {0, 0, 4, 2}, {0, 0, 4, 2}, "WBrK/WWWW/WWWW"},
};

TEST_F(GdiTest, CopiesBetweenSurfaces) {
    for (const Copy& row : kCopies) {
        Surface src(4, 2), dst(4, 3);
        CDC& from = row.how == 'w' ? dst.dc : src.dc;
        Paint(from, row.source);
        const auto [x, y, w, h] = row.to;
        const auto [sx, sy, sw, sh] = row.from;
        const BOOL done =
            row.how == 's'   ? dst.dc.StretchBlt(x, y, w, h, &from, sx, sy, sw, sh, SRCCOPY)
            : row.how == 't' ? dst.dc.TransparentImage(x, y, w, h, &from, sx, sy, sw, sh, kRed)
                             : dst.dc.BitBlt(x, y, w, h, &from, sx, sy, SRCCOPY);
        ASSERT_TRUE(done) << row.name;
        EXPECT_EQ(Read(dst.dc, 4, 3), row.expected) << row.name;
    }
}

TEST_F(GdiTest, DibSectionsAreBottomUpWithPaddedRows) {
    testsupport::DibSurface dib(5, 20);
    BITMAP bm;
    ASSERT_EQ(GetObjectW(dib.bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidthBytes, 16);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_EQ(bm.bmBits, dib.bits);

    CDC& dc = dib.dc;
    dc.SetPixel(0, 0, RGB(1, 2, 3));     // top row: stored last
    dc.SetPixel(4, 19, RGB(10, 20, 30)); // bottom row: stored first
    const auto* bytes = static_cast<const BYTE*>(dib.bits);
    EXPECT_EQ((std::vector<BYTE>(bytes + 304, bytes + 307)), (std::vector<BYTE>{3, 2, 1}));
    EXPECT_EQ((std::vector<BYTE>(bytes + 12, bytes + 15)), (std::vector<BYTE>{30, 20, 10}));

    // Copies to a 32-bit surface keep the colours; text lands in the rows it was drawn in.
    Surface rgb(5, 20, kGreen);
    ASSERT_TRUE(rgb.dc.BitBlt(0, 0, 5, 20, &dc, 0, 0, SRCCOPY));
    EXPECT_EQ(rgb.dc.GetPixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(rgb.dc.GetPixel(4, 19), RGB(10, 20, 30));
    dc.FillSolidRect(0, 0, 5, 20, kWhite);
    dc.SetBkMode(TRANSPARENT);
    CRect box(0, 0, 5, 20);
    dc.DrawText(u"H", -1, &box, DT_LEFT);
    EXPECT_FALSE(DarkColumns(dc, 5, 0, 5).empty());
    EXPECT_TRUE(DarkColumns(dc, 18, 0, 5).empty());
}

TEST_F(GdiTest, BitmapsLiveInOneSurfaceAndCannotBeDeletedWhileSelected) {
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(a, 2, 2);
    HGDIOBJ stock = SelectObject(a, bitmap);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(SelectObject(a, stock), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));
    DeleteDC(a);
    DeleteDC(b);
}

TEST_F(GdiTest, IconsAreBlendedThroughTheirMask) {
    // Left column opaque blue, right column transparent, bottom-left half transparent red.
    const DWORD pixels[4] = {0xFF0000FF, 0x00FF0000, 0x80FF0000, 0x00000000};
    HICON icon = platform::CreateIconFromPixels(2, 2, pixels);
    Surface s(3, 3, kWhite);
    ASSERT_TRUE(s.dc.DrawIcon(1, 1, icon));
    EXPECT_EQ(Read(s.dc, 3, 3), "WWW/WBW/W?W");
    EXPECT_EQ(GetRValue(s.dc.GetPixel(1, 2)), 255);
    EXPECT_NEAR(GetGValue(s.dc.GetPixel(1, 2)), 127, 2);
    DestroyIcon(icon);
    EXPECT_FALSE(s.dc.DrawIcon(0, 0, icon)) << "a destroyed icon draws nothing";
    EXPECT_EQ(s.dc.GetPixel(0, 0), kWhite);
}

TEST_F(GdiTest, DashedPenKeepsTheDefaultWidthAndColourAndLeavesTheEndPointOut) {
    Surface s(20, 3, kWhite);
    LOGPEN log;
    CPen* current = s.dc.GetCurrentPen();
    ASSERT_EQ(current->GetLogPen(&log), static_cast<int>(sizeof log));
    EXPECT_EQ(log.lopnStyle, PS_SOLID);
    EXPECT_EQ(log.lopnWidth.x, 1);
    EXPECT_EQ(log.lopnColor, kBlack);
    log.lopnStyle = PS_DASH;
    CPen dashed;
    ASSERT_TRUE(dashed.CreatePenIndirect(&log));
    EXPECT_EQ(s.dc.SelectObject(&dashed), current);
    s.dc.MoveTo(0, 1);
    s.dc.LineTo(18, 1);
    s.dc.SelectObject(current);
    s.dc.MoveTo(0, 2);
    s.dc.LineTo(3, 2);
    EXPECT_TRUE(DarkColumns(s.dc, 0, 0, 20).empty());
    EXPECT_EQ(DarkColumns(s.dc, 1, 0, 20),
              (std::vector<int>{0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 16, 17}));
    EXPECT_EQ(DarkColumns(s.dc, 2, 0, 20), (std::vector<int>{0, 1, 2}));
}

TEST_F(GdiTest, TextMeasureKeepsLeftTopAndBreaksOnlyAtCrLf) {
    Surface s(200, 60, kWhite);
    const int line = platform::SystemFontLineHeight();
    EXPECT_GE(line, 11);
    EXPECT_LE(line, 14);
    CRect one(10, 20, 11, 21), two = one, lf = one;
    EXPECT_EQ(s.dc.DrawText(u"Calendar and more", -1, &one, DT_CALCRECT), line);
    EXPECT_EQ(one.TopLeft(), CPoint(10, 20));
    EXPECT_EQ(one.bottom, 20 + line);
    EXPECT_EQ(s.dc.DrawText(u"Calendar and\r\nmore", -1, &two, DT_CALCRECT), 2 * line);
    EXPECT_EQ(two.bottom, 20 + 2 * line);
    EXPECT_EQ(s.dc.GetTextExtent(CString(u"Calendar and")).cx, two.Width());
    EXPECT_LT(two.Width(), one.Width());
    EXPECT_EQ(s.dc.DrawText(u"a\nb", -1, &lf, DT_CALCRECT), line) << "a lone LF is no break";
}

TEST_F(GdiTest, TextIsDrawnTransparentlyLeftOrRightAligned) {
    Surface s(120, 20, kGreen);
    s.dc.SetBkMode(TRANSPARENT);
    CRect box(10, 2, 110, 2 + platform::SystemFontLineHeight());
    s.dc.DrawText(u"IIII", -1, &box, DT_RIGHT | DT_TOP);
    int leftmost = 200, rightmost = -1;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 120; ++x)
            if (const COLORREF c = s.dc.GetPixel(x, y); c != kGreen) {
                EXPECT_TRUE(y >= box.top && y < box.bottom && c != kWhite) << x << "," << y;
                leftmost = std::min(leftmost, x);
                rightmost = std::max(rightmost, x);
            }
    EXPECT_GT(leftmost, 80);
    EXPECT_GE(rightmost, 100);
    EXPECT_LT(rightmost, 110);

    Surface o(60, 20, kGreen);
    CRect left(0, 0, 2, 20);
    o.dc.DrawText(u"II", -1, &left, DT_LEFT);
    EXPECT_EQ(o.dc.GetPixel(0, 0), kWhite) << "opaque mode paints the text's background";
    EXPECT_EQ(o.dc.GetPixel(2, 0), kGreen) << "within the box";
}

class Plain : public CWnd {};

TEST_F(GdiTest, CopiesToAWindowAreCountedAndShown) {
    platform::SetFramePacing(false);
    Plain wnd;
    ASSERT_TRUE(wnd.Create(nullptr, u"plain", WS_VISIBLE, RECT{0, 0, 8, 8}, nullptr, 1));
    Surface s(8, 8, kRed);
    {
        CClientDC dc(&wnd);
        dc.BitBlt(0, 0, 4, 8, &s.dc, 0, 0, SRCCOPY);
        dc.BitBlt(4, 0, 4, 8, &s.dc, 0, 0, SRCCOPY);
        dc.FillSolidRect(0, 0, 1, 1, kBlue); // drawing, not a copy
    }
    EXPECT_EQ(platform::WindowCopyCount(wnd), 2);
    EXPECT_EQ(testsupport::At(wnd, 7, 7), kRed);
    EXPECT_EQ(testsupport::At(wnd, 0, 0), kBlue);
    HWND gone = wnd;
    wnd.DestroyWindow();
    EXPECT_EQ(GetDC(gone), nullptr);
}

// A whole bitmap copied over a whole window shares its pixels; drawing on either one, by any
// means, leaves the other as it was.
TEST_F(GdiTest, AWindowCopiedWholeKeepsItsPictureWhenEitherSideIsDrawnOn) {
    platform::SetFramePacing(false);
    for (char side : {'b', 'w'})
        for (char how : {'p', 'f', 'c', 'l'}) {
            const std::string name = std::string(1, side) + how;
            Plain wnd;
            ASSERT_TRUE(wnd.Create(nullptr, u"plain", WS_VISIBLE, RECT{0, 0, 4, 2}, nullptr, 1));
            Surface bitmap(4, 2), blue(4, 2, kBlue);
            Paint(bitmap.dc, "RGBK/KBGR");
            CClientDC dc(&wnd);
            ASSERT_TRUE(dc.BitBlt(0, 0, 4, 2, &bitmap.dc, 0, 0, SRCCOPY));
            CDC& drawn = side == 'b' ? bitmap.dc : dc;
            CDC& other = side == 'b' ? static_cast<CDC&>(dc) : bitmap.dc;
            if (how == 'p')
                drawn.SetPixel(0, 0, kWhite);
            else if (how == 'f')
                drawn.FillSolidRect(0, 0, 4, 2, kWhite);
            else if (how == 'c')
                drawn.BitBlt(1, 0, 2, 2, &blue.dc, 0, 0, SRCCOPY);
            else
                drawn.TransparentImage(0, 0, 4, 2, &blue.dc, 0, 0, 4, 2, kRed);
            EXPECT_EQ(Read(other, 4, 2), "RGBK/KBGR") << name;
            EXPECT_NE(Read(drawn, 4, 2), "RGBK/KBGR") << name;
            if (side == 'b') {
                EXPECT_EQ(testsupport::At(wnd, 2, 1), kGreen) << name << ": the window as shown";
            }
        }
}

TEST_F(GdiTest, BitmapResourcesComeFromTheProgramsBmpBytes) {
    // One pure green pixel and a pad byte; resource bytes stay for the program's whole run.
    static const std::string bmp = testsupport::MakeBmp(1, 1, 24, 4, std::string("\0\xFF\0\0", 4));
    platform::AddBitmapResource(42, reinterpret_cast<const BYTE*>(bmp.data()), bmp.size());
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(42));
    EXPECT_FALSE(CBitmap().LoadBitmap(43));
    Surface s(1, 1);
    CBitmap* old = s.dc.SelectObject(&bitmap);
    EXPECT_EQ(s.dc.GetPixel(0, 0), kGreen);
    EXPECT_EQ(s.dc.GetPixel(1, 0), CLR_INVALID);
    s.dc.SelectObject(old);
}

} // namespace
