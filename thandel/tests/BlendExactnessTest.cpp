#include <thandel/CAlphaBlend.h>

#include "BlendBytes.h"

#include <testsupport/Surface.h>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using testsupport::DibSurface;
using testsupport::Surface;

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
                for (BYTE& b : source)
                    b = static_cast<BYTE>(random());
                for (BYTE& b : dest)
                    b = static_cast<BYTE>(random());
                const std::vector<BYTE> before = dest;
                rows[r](source.data(), 0, dest.data(), 0, width, 1, opacity);
                for (int i = 0; i < 4 * width; ++i)
                    ASSERT_EQ(dest[i], i % 4 == 3 ? 255 : Expected(opacity, source[i], before[i]))
                        << "loop " << r << " width " << width << " opacity " << opacity << " byte "
                        << i;
                for (std::size_t i = 4 * width; i < dest.size(); ++i)
                    ASSERT_EQ(dest[i], before[i]) << "loop " << r << " wrote past the row";
            }
}

struct Case {
    const char* name;
    int x, y, w, h, xs, ys, ws, hs;
    DWORD opacity;
};

// On random pictures the direct blend of 32-bit surfaces leaves exactly the pixels of the
// three-copy flow through 24-bit working bitmaps, also where the rectangles are scaled or
// cut by an edge, and both report alike.
TEST(BlendSurfaces, MemorySurfacesGiveTheThreeCopyFlowsPixels) {
    const Case cases[] = {
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
    };
    std::mt19937 random(11);
    for (const Case& c : cases) {
        constexpr int W = 118, H = 40;
        Surface dest(W, H), source(W, H);
        DibSurface dibDest(W, H), dibSource(W, H);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const COLORREF d = random() & 0xFFFFFF, s = random() & 0xFFFFFF;
                dest.dc.SetPixel(x, y, d);
                dibDest.dc.SetPixel(x, y, d);
                source.dc.SetPixel(x, y, s);
                dibSource.dc.SetPixel(x, y, s);
            }
        CAlphaBlend blend;
        const int direct = blend.DoAlphaBlend(&dest.dc, c.x, c.y, c.w, c.h, &source.dc, c.xs, c.ys,
                                              c.ws, c.hs, c.opacity);
        const int flow = blend.DoAlphaBlend(&dibDest.dc, c.x, c.y, c.w, c.h, &dibSource.dc, c.xs,
                                            c.ys, c.ws, c.hs, c.opacity);
        EXPECT_EQ(direct, flow) << c.name;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                ASSERT_EQ(dest.dc.GetPixel(x, y), dibDest.dc.GetPixel(x, y))
                    << c.name << " at " << x << "," << y;
    }
}

} // namespace
