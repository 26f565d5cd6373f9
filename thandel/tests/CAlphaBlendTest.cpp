#include <thandel/CAlphaBlend.h>

#include <testsupport/Pixels.h>

#include <gtest/gtest.h>

namespace {

using testsupport::Surface;

class Blend : public CAlphaBlend {
public:
    using CAlphaBlend::BitmapsCompatible;
    using CAlphaBlend::BlendImages;
    using CAlphaBlend::Create24BPPDIBSection;
};

// Every working bitmap and surface is released, whatever the outcome.
class AlphaBlendTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(platform::LiveGdiObjectCount(), m_live); }
    int m_live = platform::LiveGdiObjectCount();
};

TEST_F(AlphaBlendTest, EachByteIsWeighedBy256AndTruncatedInsideTheDestinationRectangle) {
    // Source, background, opacity, result (1 drawn, 0 left as it was).
    for (auto [src, back, opacity, ok] : {std::tuple(RGB(255, 1, 0), RGB(0, 0, 0), 255u, 1),
                                          {RGB(0, 0, 0), RGB(255, 255, 255), 0u, 1},
                                          {RGB(200, 0, 255), RGB(100, 255, 0), 128u, 1},
                                          {RGB(252, 148, 54), RGB(90, 20, 200), 130u, 1},
                                          {RGB(0, 0, 0), RGB(10, 20, 30), 256u, 0},
                                          {RGB(0, 0, 0), RGB(10, 20, 30), 0xFFFFFFFFu, 0}}) {
        Surface source(20, 12, src), dest(24, 16, back);
        EXPECT_EQ(Blend().DoAlphaBlend(&dest.dc, 2, 3, 20, 12, &source.dc, 0, 0, 20, 12, opacity),
                  ok);
        const COLORREF blended = ok ? testsupport::Blend(src, back, opacity) : back;
        for (auto [x, y] : {std::pair(2, 3), {21, 14}, {1, 3}, {22, 3}, {2, 2}, {2, 15}}) {
            const bool inside = x >= 2 && x < 22 && y >= 3 && y < 15;
            EXPECT_EQ(dest.dc.GetPixel(x, y), inside ? blended : back)
                << opacity << " " << x << "," << y;
        }
    }
}

TEST_F(AlphaBlendTest, SourceIsScaledToTheDestinationSize) {
    Surface src(2, 1, RGB(0, 0, 0)), dst(4, 1, RGB(0, 0, 0));
    src.dc.SetPixel(1, 0, RGB(255, 255, 255));
    ASSERT_EQ(Blend().DoAlphaBlend(&dst.dc, 0, 0, 4, 1, &src.dc, 0, 0, 2, 1, 255), 1);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(dst.dc.GetPixel(x, 0), x < 2 ? RGB(0, 0, 0) : RGB(254, 254, 254)) << x;
}

TEST_F(AlphaBlendTest, ImpossibleOrMismatchedWorkingBitmapsDrawNothing) {
    Surface src(4, 4, RGB(0, 0, 0)), dst(4, 4, RGB(9, 9, 9));
    EXPECT_EQ(Blend().DoAlphaBlend(&dst.dc, 0, 0, 0, 4, &src.dc, 0, 0, 4, 4, 100), 0);
    EXPECT_EQ(Blend().DoAlphaBlend(&dst.dc, 0, 0, 4, -1, &src.dc, 0, 0, 4, 4, 100), 0);
    EXPECT_EQ(dst.dc.GetPixel(0, 0), RGB(9, 9, 9));
    Blend blend;
    HBITMAP a = blend.Create24BPPDIBSection(nullptr, 4, 2),
            wide = blend.Create24BPPDIBSection(nullptr, 5, 2);
    HBITMAP plain = CreateCompatibleBitmap(dst.dc, 4, 2);
    EXPECT_EQ(blend.BlendImages(a, a, a, 10), 1);
    for (auto [one, two, out] :
         {std::tuple(a, a, wide), {a, wide, a}, {plain, plain, plain}, {a, nullptr, a}})
        EXPECT_EQ(blend.BlendImages(one, two, out, 10), 0);
    BITMAP x, y;
    GetObjectW(a, sizeof x, &x);
    y = x, y.bmPlanes = 2;
    EXPECT_EQ(blend.BitmapsCompatible(&x, &y), 0);
    for (HBITMAP h : {a, wide, plain})
        DeleteObject(h);
}

} // namespace
