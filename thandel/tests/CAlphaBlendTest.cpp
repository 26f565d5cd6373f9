#include <thandel/CAlphaBlend.h>

#include <testsupport/Surface.h>

#include <gtest/gtest.h>

namespace {

using testsupport::Surface;

class Blend : public CAlphaBlend {
public:
    using CAlphaBlend::BitmapsCompatible;
    using CAlphaBlend::BlendImages;
    using CAlphaBlend::Create24BPPDIBSection;
};

class AlphaBlendTest : public ::testing::Test {
protected:
    void SetUp() override { m_live = platform::LiveGdiObjectCount(); }
    // Every working bitmap and surface is released, whatever the outcome.
    void TearDown() override { EXPECT_EQ(platform::LiveGdiObjectCount(), m_live); }

    COLORREF BlendOne(COLORREF source, COLORREF background, DWORD opacity, int* result) {
        Surface src(1, 1, source), dst(1, 1, background);
        *result = Blend().DoAlphaBlend(&dst.dc, 0, 0, 1, 1, &src.dc, 0, 0, 1, 1, opacity);
        return dst.dc.GetPixel(0, 0);
    }
    int m_live = 0;
};

TEST_F(AlphaBlendTest, DividesBy256AndTruncates) {
    int ok = 0;
    EXPECT_EQ(BlendOne(RGB(255, 1, 0), RGB(0, 0, 0), 255, &ok), RGB(254, 0, 0));
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(BlendOne(RGB(0, 0, 0), RGB(255, 255, 255), 0, &ok), RGB(254, 254, 254));
    EXPECT_EQ(BlendOne(RGB(200, 200, 200), RGB(100, 100, 100), 128, &ok), RGB(149, 149, 149));
    // Each byte on its own.
    EXPECT_EQ(BlendOne(RGB(200, 0, 255), RGB(100, 255, 0), 128, &ok), RGB(149, 126, 127));
}

TEST_F(AlphaBlendTest, OpacityAbove255DrawsNothing) {
    int ok = 1;
    EXPECT_EQ(BlendOne(RGB(0, 0, 0), RGB(10, 20, 30), 256, &ok), RGB(10, 20, 30));
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(BlendOne(RGB(0, 0, 0), RGB(10, 20, 30), 0xFFFFFFFF, &ok), RGB(10, 20, 30));
    EXPECT_EQ(ok, 0);
}

TEST_F(AlphaBlendTest, BandOverARowTouchesOnlyItsTwelveLines) {
    Surface compose(118, 80, RGB(255, 255, 255));
    Surface band(118, 40, RGB(252, 148, 54));
    ASSERT_EQ(Blend().DoAlphaBlend(&compose.dc, 0, 54, 118, 12, &band.dc, 0, 0, 118, 12, 130), 1);
    const COLORREF blended = RGB((130 * 252 + 125 * 255) >> 8, (130 * 148 + 125 * 255) >> 8,
                                 (130 * 54 + 125 * 255) >> 8);
    for (int x : {0, 57, 117}) {
        EXPECT_EQ(compose.dc.GetPixel(x, 53), RGB(255, 255, 255));
        for (int y = 54; y <= 65; ++y)
            EXPECT_EQ(compose.dc.GetPixel(x, y), blended) << x << "," << y;
        EXPECT_EQ(compose.dc.GetPixel(x, 66), RGB(255, 255, 255));
    }
}

TEST_F(AlphaBlendTest, SourceIsScaledToTheDestinationSize) {
    Surface src(2, 1, RGB(0, 0, 0));
    src.dc.SetPixel(1, 0, RGB(255, 255, 255));
    Surface dst(4, 1, RGB(0, 0, 0));
    ASSERT_EQ(Blend().DoAlphaBlend(&dst.dc, 0, 0, 4, 1, &src.dc, 0, 0, 2, 1, 255), 1);
    EXPECT_EQ(dst.dc.GetPixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(dst.dc.GetPixel(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(dst.dc.GetPixel(2, 0), RGB(254, 254, 254));
    EXPECT_EQ(dst.dc.GetPixel(3, 0), RGB(254, 254, 254));
}

TEST_F(AlphaBlendTest, ImpossibleWorkingBitmapsLeaveTheDestination) {
    Surface src(4, 4, RGB(0, 0, 0)), dst(4, 4, RGB(9, 9, 9));
    EXPECT_EQ(Blend().DoAlphaBlend(&dst.dc, 0, 0, 0, 4, &src.dc, 0, 0, 4, 4, 100), 0);
    EXPECT_EQ(Blend().DoAlphaBlend(&dst.dc, 0, 0, 4, -1, &src.dc, 0, 0, 4, 4, 100), 0);
    EXPECT_EQ(dst.dc.GetPixel(0, 0), RGB(9, 9, 9));
}

TEST_F(AlphaBlendTest, BlendImagesRefusesMismatchedOrUnaddressableBitmaps) {
    Blend blend;
    HBITMAP a = blend.Create24BPPDIBSection(nullptr, 4, 2);
    HBITMAP b = blend.Create24BPPDIBSection(nullptr, 4, 2);
    HBITMAP wide = blend.Create24BPPDIBSection(nullptr, 5, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP compatible = CreateCompatibleBitmap(dc, 4, 2);
    EXPECT_EQ(blend.BlendImages(a, b, b, 10), 1);
    EXPECT_EQ(blend.BlendImages(a, b, wide, 10), 0);
    EXPECT_EQ(blend.BlendImages(a, wide, b, 10), 0);
    EXPECT_EQ(blend.BlendImages(compatible, compatible, compatible, 10), 0);
    EXPECT_EQ(blend.BlendImages(a, nullptr, b, 10), 0);

    BITMAP x, y;
    GetObjectW(a, sizeof x, &x);
    GetObjectW(wide, sizeof y, &y);
    EXPECT_EQ(blend.BitmapsCompatible(&x, &x), 1);
    EXPECT_EQ(blend.BitmapsCompatible(&x, &y), 0);
    y = x;
    y.bmPlanes = 2;
    EXPECT_EQ(blend.BitmapsCompatible(&x, &y), 0);
    for (HBITMAP h : {a, b, wide, compatible})
        DeleteObject(h);
    DeleteDC(dc);
}

} // namespace
