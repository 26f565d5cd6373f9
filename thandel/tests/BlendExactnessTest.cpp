#include <thandel/CAlphaBlend.h>

#include "BlendBytes.h"

#include <testsupport/Pixels.h>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using namespace testsupport;

class Probe : public CAlphaBlend {
public:
    using CAlphaBlend::BlendImages;
};

// Every working bitmap and surface is released, whatever the outcome.
struct AlphaBlendTest : ::testing::Test {
    void TearDown() override { EXPECT_EQ(platform::LiveGdiObjectCount(), m_live); }
    int m_live = platform::LiveGdiObjectCount();
};

BYTE Expected(unsigned opacity, BYTE source, BYTE background) {
    return static_cast<BYTE>((opacity * source + (255 - opacity) * background) >> 8);
}

// Every loop the processor runs gives the formula's bytes, whatever the width (vector
// bodies, tails, masks) and the opacity, and sets each pixel's fourth byte to 255.
TEST(BlendLoops, EveryLoopGivesTheFormulasBytes) {
    std::mt19937 random(7);
    const auto rows = thandel::PixelBlends();
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int width = 0; width <= 70; ++width)
            for (unsigned opacity : {0u, 1u, 2u, 127u, 128u, 129u, 130u, 200u, 253u, 254u, 255u}) {
                std::vector<BYTE> source(4 * width + 64), dest(4 * width + 64);
                for (auto* bytes : {&source, &dest})
                    for (BYTE& b : *bytes)
                        b = static_cast<BYTE>(random());
                const std::vector<BYTE> before = dest;
                rows[r](source.data(), 0, dest.data(), 0, width, 1, opacity);
                for (int i = 0; i < static_cast<int>(dest.size()); ++i)
                    ASSERT_EQ(dest[i], i >= 4 * width ? before[i]
                                       : i % 4 == 3   ? 255
                                                      : Expected(opacity, source[i], before[i]))
                        << "loop " << r << " width " << width << " opacity " << opacity << " byte "
                        << i;
            }
}

// On random pictures the direct blend of 32-bit surfaces leaves exactly the pixels of the
// three-copy flow through 24-bit working bitmaps, also where the rectangles are scaled or
// cut by an edge, and both report alike; an opacity over 255 or an empty rectangle draws
// nothing.
TEST_F(AlphaBlendTest, MemorySurfacesGiveTheThreeCopyFlowsPixels) {
    struct Case {
        const char* name;
        int x, y, w, h, xs, ys, ws, hs;
        DWORD opacity;
    } cases[] = {
        {"band", 0, 54, 118, 12, 0, 0, 118, 12, 130},
        {"press", 0, 123, 118, 37, 0, 0, 118, 40, 200},
        {"odd width", 3, 5, 61, 7, 2, 1, 61, 7, 77},
        {"one pixel", 9, 9, 1, 1, 4, 4, 1, 1, 130},
        {"opaque", 1, 2, 30, 4, 0, 0, 30, 4, 255},
        {"invisible", 1, 2, 30, 4, 0, 0, 30, 4, 0},
        {"past the right edge", 100, 10, 40, 5, 0, 0, 40, 5, 130},
        {"source past its edge", 0, 0, 20, 20, 110, 30, 20, 20, 130},
        {"above the top", 10, -3, 20, 8, 0, 0, 20, 8, 130},
        {"opacity too high", 0, 0, 10, 10, 0, 0, 10, 10, 256},
        {"opacity far too high", 2, 3, 20, 12, 0, 0, 20, 12, 0xFFFFFFFF},
        {"no width", 0, 0, 0, 4, 0, 0, 4, 4, 100},
        {"negative height", 0, 0, 4, -1, 0, 0, 4, 4, 100},
    };
    std::mt19937 random(11);
    for (const Case& c : cases) {
        constexpr int W = 118, H = 40;
        Surface dest(W, H), source(W, H), before(W, H);
        DibSurface dibDest(W, H), dibSource(W, H);
        for (Surface* surface : {&dest, &source})
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    surface->dc.SetPixel(x, y, random() & 0xFFFFFF);
        for (CDC* copy : {&before.dc, &dibDest.dc})
            copy->BitBlt(0, 0, W, H, &dest.dc, 0, 0, SRCCOPY);
        dibSource.dc.BitBlt(0, 0, W, H, &source.dc, 0, 0, SRCCOPY);
        CAlphaBlend blend;
        const int direct = blend.DoAlphaBlend(&dest.dc, c.x, c.y, c.w, c.h, &source.dc, c.xs, c.ys,
                                              c.ws, c.hs, c.opacity);
        const int flow = blend.DoAlphaBlend(&dibDest.dc, c.x, c.y, c.w, c.h, &dibSource.dc, c.xs,
                                            c.ys, c.ws, c.hs, c.opacity);
        const int drawn = c.opacity <= 255 && c.w > 0 && c.h > 0;
        EXPECT_EQ(std::pair(direct, flow), std::pair(drawn, drawn)) << c.name;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(dest.dc.GetPixel(x, y), (drawn ? dibDest.dc : before.dc).GetPixel(x, y))
                    << c.name << " at " << x << "," << y;
    }
}

// The source is scaled to the destination's size; working bitmaps that do not match are refused.
TEST_F(AlphaBlendTest, WorkingBitmapsAreScaledOrRefused) {
    Surface src(2, 1, RGB(0, 0, 0)), dst(4, 1, RGB(0, 0, 0));
    src.dc.SetPixel(1, 0, RGB(255, 255, 255));
    Probe blend;
    ASSERT_EQ(blend.DoAlphaBlend(&dst.dc, 0, 0, 4, 1, &src.dc, 0, 0, 2, 1, 255), 1);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(dst.dc.GetPixel(x, 0), x < 2 ? RGB(0, 0, 0) : RGB(254, 254, 254)) << x;
    DibSurface a(4, 2), wide(5, 2);
    HBITMAP plain = CreateCompatibleBitmap(a.dc, 4, 2);
    EXPECT_EQ(blend.BlendImages(a.bitmap, a.bitmap, a.bitmap, 10), 1);
    for (auto [one, two, out] : {std::tuple(a.bitmap, a.bitmap, wide.bitmap),
                                 {a.bitmap, wide.bitmap, a.bitmap},
                                 {plain, plain, plain},
                                 {a.bitmap, nullptr, a.bitmap}})
        EXPECT_EQ(blend.BlendImages(one, two, out, 10), 0);
    DeleteObject(plain);
}

} // namespace
