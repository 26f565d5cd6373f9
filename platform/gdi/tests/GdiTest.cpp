#include <platform/CDC.h>
#include <platform/CWnd.h>

#include <testsupport/Surface.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A memory surface with its own compatible bitmap.
using testsupport::Surface;

HBITMAP MakeDib(int w, int h, void** bits) {
    BITMAPINFO info;
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
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

TEST_F(GdiTest, BlockCopyIsExactAndClippedToBothSurfaces) {
    Surface src(4, 4, kBlue), dst(6, 6, kWhite);
    src.dc.SetPixel(0, 0, kRed);
    src.dc.SetPixel(3, 3, kGreen);
    ASSERT_TRUE(dst.dc.BitBlt(1, 1, 4, 4, &src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(dst.dc.GetPixel(0, 0), kWhite);
    EXPECT_EQ(dst.dc.GetPixel(1, 1), kRed);
    EXPECT_EQ(dst.dc.GetPixel(4, 4), kGreen);
    EXPECT_EQ(dst.dc.GetPixel(5, 5), kWhite);
    // Partly outside the destination and the source: only the overlap is copied.
    ASSERT_TRUE(dst.dc.BitBlt(-2, 4, 4, 4, &src.dc, 1, 2, SRCCOPY));
    EXPECT_EQ(dst.dc.GetPixel(0, 4), kBlue);
    EXPECT_EQ(dst.dc.GetPixel(0, 5), kGreen);
    EXPECT_EQ(dst.dc.GetPixel(1, 5), kWhite); // its source lies outside the source surface
    EXPECT_EQ(dst.dc.GetPixel(6, 0), CLR_INVALID);
}

TEST_F(GdiTest, OverlappingCopyOnOneSurfaceReadsThePixelsAsTheyWere) {
    Surface s(5, 1, kWhite);
    for (int x = 0; x < 5; ++x)
        s.dc.SetPixel(x, 0, RGB(x * 10, 0, 0));
    ASSERT_TRUE(s.dc.BitBlt(1, 0, 4, 1, &s.dc, 0, 0, SRCCOPY));
    for (int x = 1; x < 5; ++x)
        EXPECT_EQ(s.dc.GetPixel(x, 0), RGB((x - 1) * 10, 0, 0));
}

TEST_F(GdiTest, StretchedCopyTakesTheNearestSourcePixel) {
    Surface src(2, 2), dst(4, 4);
    src.dc.SetPixel(0, 0, kRed);
    src.dc.SetPixel(1, 0, kGreen);
    src.dc.SetPixel(0, 1, kBlue);
    src.dc.SetPixel(1, 1, kBlack);
    ASSERT_TRUE(dst.dc.StretchBlt(0, 0, 4, 4, &src.dc, 0, 0, 2, 2, SRCCOPY));
    const COLORREF expected[4][4] = {{kRed, kRed, kGreen, kGreen},
                                     {kRed, kRed, kGreen, kGreen},
                                     {kBlue, kBlue, kBlack, kBlack},
                                     {kBlue, kBlue, kBlack, kBlack}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst.dc.GetPixel(x, y), expected[y][x]) << x << "," << y;
    // Shrinking 4 columns to 2 keeps columns 0 and 2.
    Surface narrow(2, 1);
    ASSERT_TRUE(narrow.dc.StretchBlt(0, 0, 2, 1, &dst.dc, 0, 2, 4, 1, SRCCOPY));
    EXPECT_EQ(narrow.dc.GetPixel(0, 0), kBlue);
    EXPECT_EQ(narrow.dc.GetPixel(1, 0), kBlack);
}

TEST_F(GdiTest, TransparentCopyLeavesTheKeyColourOut) {
    Surface src(3, 1, kRed), dst(3, 1, kWhite);
    src.dc.SetPixel(1, 0, kBlue);
    src.dc.SetPixel(2, 0, RGB(254, 0, 0));
    ASSERT_TRUE(dst.dc.TransparentImage(0, 0, 3, 1, &src.dc, 0, 0, 3, 1, kRed));
    EXPECT_EQ(dst.dc.GetPixel(0, 0), kWhite);
    EXPECT_EQ(dst.dc.GetPixel(1, 0), kBlue);
    EXPECT_EQ(dst.dc.GetPixel(2, 0), RGB(254, 0, 0));
}

TEST_F(GdiTest, DibSectionsAreBottomUpWithPaddedRows) {
    void* bits = nullptr;
    HBITMAP dib = MakeDib(5, 2, &bits);
    ASSERT_NE(dib, nullptr);
    BITMAP bm;
    ASSERT_EQ(GetObjectW(dib, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 5);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmWidthBytes, 16);
    EXPECT_EQ(bm.bmPlanes, 1);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_EQ(bm.bmBits, bits);

    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    SetPixel(dc, 0, 0, RGB(1, 2, 3));    // top row: stored last
    SetPixel(dc, 4, 1, RGB(10, 20, 30)); // bottom row: stored first
    const auto* bytes = static_cast<const BYTE*>(bits);
    EXPECT_EQ(bytes[16 + 0], 3); // blue, green, red
    EXPECT_EQ(bytes[16 + 1], 2);
    EXPECT_EQ(bytes[16 + 2], 1);
    EXPECT_EQ(bytes[12 + 0], 30);
    EXPECT_EQ(bytes[12 + 2], 10);

    // Copies between 24-bit and 32-bit surfaces keep the colours.
    Surface rgb(5, 2, kGreen);
    ASSERT_TRUE(BitBlt(rgb.dc, 0, 0, 5, 2, dc, 0, 0, SRCCOPY));
    EXPECT_EQ(rgb.dc.GetPixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(rgb.dc.GetPixel(4, 1), RGB(10, 20, 30));
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(dib));
}

TEST_F(GdiTest, FreedDibMemoryIsReusedForTheNextBitmapOfItsSize) {
    void* first = nullptr;
    void* second = nullptr;
    HBITMAP a = MakeDib(118, 37, &first);
    DeleteObject(a);
    HBITMAP b = MakeDib(118, 37, &second);
    EXPECT_EQ(first, second);
    DeleteObject(b);
}

TEST_F(GdiTest, BitmapsLiveInOneSurfaceAndCannotBeDeletedWhileSelected) {
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(a, 2, 2);
    HGDIOBJ stock = SelectObject(a, bitmap);
    EXPECT_NE(stock, nullptr);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(SelectObject(a, stock), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(GetObjectW(bitmap, sizeof(BITMAP), nullptr), 0);
    DeleteDC(a);
    DeleteDC(b);
}

TEST_F(GdiTest, IconsAreBlendedThroughTheirMask) {
    // Left column opaque blue, right column transparent, bottom-left half transparent red.
    const DWORD pixels[4] = {0xFF0000FF, 0x00FF0000, 0x80FF0000, 0x00000000};
    HICON icon = platform::CreateIconFromPixels(2, 2, pixels);
    ASSERT_NE(icon, nullptr);
    Surface s(3, 3, kWhite);
    ASSERT_TRUE(s.dc.DrawIcon(1, 1, icon));
    EXPECT_EQ(s.dc.GetPixel(1, 1), kBlue);
    EXPECT_EQ(s.dc.GetPixel(2, 1), kWhite);
    EXPECT_EQ(s.dc.GetPixel(2, 2), kWhite);
    const COLORREF half = s.dc.GetPixel(1, 2);
    EXPECT_EQ(GetRValue(half), 255);
    EXPECT_NEAR(GetGValue(half), 127, 2);
    EXPECT_EQ(s.dc.GetPixel(0, 0), kWhite);
    DestroyIcon(icon);
    // A destroyed icon draws nothing.
    EXPECT_FALSE(s.dc.DrawIcon(0, 0, icon));
    EXPECT_EQ(s.dc.GetPixel(1, 1), kBlue);
}

TEST_F(GdiTest, DashedPenKeepsItsWidthAndColourAndLeavesTheEndPointOut) {
    Surface s(20, 3, kWhite);
    LOGPEN log;
    CPen* current = s.dc.GetCurrentPen();
    ASSERT_NE(current, nullptr);
    ASSERT_EQ(current->GetLogPen(&log), static_cast<int>(sizeof log));
    EXPECT_EQ(log.lopnStyle, PS_SOLID);
    EXPECT_EQ(log.lopnWidth.x, 1);
    EXPECT_EQ(log.lopnColor, kBlack);
    log.lopnStyle = PS_DASH;
    CPen dashed;
    ASSERT_TRUE(dashed.CreatePenIndirect(&log));
    CPen* previous = s.dc.SelectObject(&dashed);
    EXPECT_EQ(previous, current);
    EXPECT_EQ(s.dc.GetCurrentPen(), &dashed);
    s.dc.MoveTo(0, 1);
    s.dc.LineTo(18, 1);
    s.dc.SelectObject(previous);
    EXPECT_EQ(DarkColumns(s.dc, 1, 0, 20),
              (std::vector<int>{0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 16, 17}));
    EXPECT_TRUE(DarkColumns(s.dc, 0, 0, 20).empty());
    // A solid line stops short of its end point too.
    s.dc.MoveTo(0, 2);
    s.dc.LineTo(3, 2);
    EXPECT_EQ(DarkColumns(s.dc, 2, 0, 20), (std::vector<int>{0, 1, 2}));
}

TEST_F(GdiTest, TextMeasureKeepsLeftTopAndBreaksOnlyAtCrLf) {
    Surface s(200, 60, kWhite);
    const int line = platform::SystemFontLineHeight();
    EXPECT_GE(line, 11);
    EXPECT_LE(line, 14);
    CRect one(10, 20, 11, 21);
    const int h1 = s.dc.DrawText(u"Calendar and more", -1, &one, DT_CALCRECT);
    EXPECT_EQ(h1, line);
    EXPECT_EQ(one.left, 10);
    EXPECT_EQ(one.top, 20);
    EXPECT_EQ(one.bottom, 20 + line);
    EXPECT_GT(one.Width(), 60); // spaces never break a line

    CRect two(10, 20, 11, 21);
    EXPECT_EQ(s.dc.DrawText(u"Calendar\r\nand more", -1, &two, DT_CALCRECT), 2 * line);
    EXPECT_EQ(two.bottom, 20 + 2 * line);
    EXPECT_LT(two.Width(), one.Width());
    SIZE extent = s.dc.GetTextExtent(CString(u"and more"));
    EXPECT_EQ(extent.cx, two.Width());
    EXPECT_EQ(extent.cy, line);
    // A lone LF is not a break.
    CRect lf(0, 0, 1, 1);
    EXPECT_EQ(s.dc.DrawText(u"a\nb", -1, &lf, DT_CALCRECT), line);
}

TEST_F(GdiTest, TextIsDrawnTransparentlyLeftOrRightAligned) {
    Surface s(120, 20, kGreen);
    s.dc.SetBkMode(TRANSPARENT);
    CRect box(10, 2, 110, 2 + platform::SystemFontLineHeight());
    s.dc.DrawText(u"IIII", -1, &box, DT_RIGHT | DT_TOP);
    int leftmost = 200, rightmost = -1;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 120; ++x) {
            const COLORREF c = s.dc.GetPixel(x, y);
            if (c != kGreen) {
                EXPECT_GE(y, box.top);
                EXPECT_LT(y, box.bottom);
                leftmost = std::min(leftmost, x);
                rightmost = std::max(rightmost, x);
            }
        }
    ASSERT_GE(rightmost, 0);
    EXPECT_GE(rightmost, 100);
    EXPECT_LT(rightmost, 110);
    EXPECT_GT(leftmost, 80);
    // Between the strokes the background stays.
    EXPECT_EQ(s.dc.GetPixel(11, 5), kGreen);

    Surface o(60, 20, kGreen);
    CRect left(0, 0, 60, 20);
    o.dc.DrawText(u"I", -1, &left, DT_LEFT);
    EXPECT_EQ(o.dc.GetPixel(0, 0), kWhite); // opaque mode paints the text's background
    EXPECT_EQ(o.dc.GetPixel(59, 0), kGreen);
}

TEST_F(GdiTest, TextOnADibLandsInTheRightRows) {
    void* bits = nullptr;
    HBITMAP dib = MakeDib(40, 20, &bits);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    RECT all{0, 0, 40, 20};
    HBRUSH white = CreateSolidBrush(kWhite);
    FillRect(dc, &all, white);
    DeleteObject(white);
    SetBkMode(dc, TRANSPARENT);
    RECT box{0, 0, 40, 20};
    DrawTextW(dc, u"H", -1, &box, DT_LEFT);
    int darkTop = 0, darkBottom = 0;
    for (int x = 0; x < 40; ++x) {
        darkTop += GetRValue(GetPixel(dc, x, 5)) < 128;
        darkBottom += GetRValue(GetPixel(dc, x, 18)) < 128;
    }
    EXPECT_GT(darkTop, 0);
    EXPECT_EQ(darkBottom, 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
}

class Plain : public CWnd {};

TEST_F(GdiTest, CopiesToAWindowAreCountedAndShown) {
    platform::SetFramePacing(false);
    Plain wnd;
    ASSERT_TRUE(wnd.Create(nullptr, u"plain", WS_VISIBLE, RECT{0, 0, 8, 8}, nullptr, 1));
    EXPECT_EQ(platform::WindowCopyCount(wnd), 0);
    Surface s(8, 8, kRed);
    {
        CClientDC dc(&wnd);
        dc.BitBlt(0, 0, 4, 8, &s.dc, 0, 0, SRCCOPY);
        dc.BitBlt(4, 0, 4, 8, &s.dc, 0, 0, SRCCOPY);
        dc.FillSolidRect(0, 0, 1, 1, kBlue); // drawing, not a copy
    }
    EXPECT_EQ(platform::WindowCopyCount(wnd), 2);
    HDC screen = GetDC(wnd);
    EXPECT_EQ(GetPixel(screen, 7, 7), kRed);
    EXPECT_EQ(GetPixel(screen, 0, 0), kBlue);
    ReleaseDC(wnd, screen);
    HWND gone = wnd;
    wnd.DestroyWindow();
    EXPECT_EQ(GetDC(gone), nullptr);
}

TEST_F(GdiTest, BitmapResourcesComeFromTheProgramsBmpBytes) {
    // A 1 x 1 24-bit BMP holding one pure green pixel.
    const BYTE bmp[58] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40, 0,   0, 0, 1, 0,
                          0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,  0,   0, 0, 0, 0,
                          0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 0,  255, 0, 0};
    platform::AddBitmapResource(42, bmp, sizeof bmp);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(42));
    BITMAP bm;
    bitmap.GetBitmap(&bm);
    EXPECT_EQ(bm.bmWidth, 1);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), kGreen);
    SelectObject(dc, old);
    DeleteDC(dc);
    CBitmap missing;
    EXPECT_FALSE(missing.LoadBitmap(43));
}

} // namespace
