#include "ImageFiles.h"

#include <gtest/gtest.h>

namespace sorvik::test {
namespace {

TEST(ColourConversion, TriplesKeepTheTopBitsOfEachChannel) {
    const BYTE white[] = {0xFF, 0xFF, 0xFF};
    EXPECT_EQ(CImageLoadProc::SX24RGB16Short(0, white), 0xFFFF);
    // (R, G, B) = (7, 3, 7) lies wholly below the kept bits.
    const BYTE dark[] = {0x07, 0x03, 0x07};
    EXPECT_EQ(CImageLoadProc::SX24RGB16Short(0, dark), 0x0000);
    // Stored blue, green, red, read at the offset.
    const BYTE mixed[] = {0xAA, 0xAA, 0x56, 0x34, 0x12};
    EXPECT_EQ(CImageLoadProc::SX24RGB16Short(2, mixed), (0x10 << 8) | (0x34 << 3) | (0x56 >> 3));
    const BYTE channels[] = {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF};
    EXPECT_EQ(CImageLoadProc::SX24RGB16Short(0, channels), 0x001F);
    EXPECT_EQ(CImageLoadProc::SX24RGB16Short(3, channels), 0x07E0);
    EXPECT_EQ(CImageLoadProc::SX24RGB16Short(6, channels), 0xF800);
}

TEST(ColourConversion, GreenWidthChoosesSixOrFiveGreenBits) {
    CImageLoadProc proc;
    EXPECT_EQ(proc.SX24RGB16Short(0x00FFFFFFu, 6), 0xFFFFu);
    EXPECT_EQ(proc.SX24RGB16Short(0x00FFFFFFu, 5), 0xFBFFu);
    EXPECT_EQ(proc.SX24RGB16Short(0x00FFFFFFu, 0), 0xFBFFu);
    // Low byte red, then green, then blue.
    EXPECT_EQ(proc.SX24RGB16Short(RGB(0xFF, 0, 0), 6), 0xF800u);
    EXPECT_EQ(proc.SX24RGB16Short(RGB(0, 0, 0xFF), 6), 0x001Fu);
    EXPECT_EQ(proc.SX24RGB16Short(RGB(0, 0xFF, 0), 6), 0x07E0u);
    EXPECT_EQ(proc.SX24RGB16Short(RGB(0, 0xFF, 0), 5), 0x03E0u);
    // Bits above the blue byte are ignored.
    EXPECT_EQ(proc.SX24RGB16Short(0xFF000000u, 6), 0u);
}

TEST(PixelValue, ChannelsClampAtTheirEnds) {
    CImageLoadProc proc;
    EXPECT_EQ(proc.SetPixelValue(0xFFFF, 10), 0xFFFF);
    EXPECT_EQ(proc.SetPixelValue(0x0000, -10), 0x0000);
    EXPECT_EQ(proc.SetPixelValue(0xFFFF, 32767), 0xFFFF);
    EXPECT_EQ(proc.SetPixelValue(0xFFFF, -32768), 0x0000);
    // Clamping is per channel: a full red stays full while blue and green rise.
    EXPECT_EQ(proc.SetPixelValue(0xF800, 8), 0xF800 | (0x08 << 3) | 0x01);
}

TEST(PixelValue, ZeroChangeDropsTheLowestGreenBit) {
    CImageLoadProc proc;
    EXPECT_EQ(proc.SetPixelValue(0x0020, 0), 0x0000);
    EXPECT_EQ(proc.SetPixelValue(0xFFFF, 0), 0xFFDF);
    EXPECT_EQ(proc.SetPixelValue(0x1234, 0), 0x1234 & ~0x0020);
}

TEST(PixelValue, ChangesMoveEveryChannel) {
    CImageLoadProc proc;
    // red 0x80, green 0x40, blue 0x20 brightened by 0x10.
    const WORD pixel = (0x80 << 8) | (0x40 << 3) | (0x20 >> 3);
    EXPECT_EQ(proc.SetPixelValue(pixel, 0x10), (0x90 << 8) | (0x50 << 3) | (0x30 >> 3));
    EXPECT_EQ(proc.SetPixelValue(pixel, -0x30), (0x50 << 8) | (0x10 << 3) | 0);
}

using BlankBitmap = ImageTest;

TEST_F(BlankBitmap, SixteenAndEightBitBuffersAreMade) {
    m_bmp.bUserFlag = 3;
    m_bmp.wUserValue = 4;
    ASSERT_EQ(m_proc.CreateBlankBitmap(&m_bmp, 5, 3, 16, 0), SX_SUCCESS);
    EXPECT_EQ(m_bmp.dwSize, 30u);
    EXPECT_EQ(m_bmp.wBitCount, 16);
    EXPECT_EQ(m_bmp.dwWidth, 5u);
    EXPECT_EQ(m_bmp.dwHeight, 3u);
    EXPECT_EQ(m_bmp.bLoaded, 1);
    EXPECT_EQ(m_bmp.bUserFlag, 0);
    EXPECT_EQ(m_bmp.wUserValue, 0);
    ASSERT_NE(m_bmp.pData, nullptr);
    m_bmp.pData[29] = 1; // the whole buffer is writable

    ASSERT_EQ(m_proc.CreateBlankBitmap(&m_bmp, 5, 3, 8, 0xFF), SX_SUCCESS);
    EXPECT_EQ(m_bmp.dwSize, 15u);
    EXPECT_EQ(m_bmp.wBitCount, 8);
    EXPECT_EQ(m_bmp.bLoaded, 1);
    ASSERT_NE(m_bmp.pData, nullptr);
    m_bmp.pData[14] = 1;
}

TEST_F(BlankBitmap, OtherDepthsAreDescribedButNotMade) {
    ASSERT_EQ(m_proc.CreateBlankBitmap(&m_bmp, 5, 3, 16, 0), SX_SUCCESS);
    EXPECT_EQ(m_proc.CreateBlankBitmap(&m_bmp, 4, 2, 24, 0), SX_E_UNSUPPORTED);
    EXPECT_EQ(m_bmp.dwSize, 24u);
    EXPECT_EQ(m_bmp.wBitCount, 0);
    EXPECT_EQ(m_bmp.pData, nullptr);
    EXPECT_EQ(m_bmp.bLoaded, 0);
    EXPECT_EQ(m_bmp.dwWidth, 4u);

    EXPECT_EQ(m_proc.CreateBlankBitmap(&m_bmp, 4, 2, 32, 0), SX_E_UNSUPPORTED);
    EXPECT_EQ(m_bmp.pData, nullptr);
    EXPECT_EQ(m_bmp.dwSize, 0u);
    EXPECT_EQ(m_bmp.dwHeight, 2u);
}

TEST_F(BlankBitmap, ASizeBeyond32BitsIsRefused) {
    EXPECT_EQ(m_proc.CreateBlankBitmap(&m_bmp, 0x10000, 0x10000, 16, 0), SX_E_NOMEMORY);
    EXPECT_EQ(m_bmp.pData, nullptr);
    EXPECT_EQ(m_bmp.bLoaded, 0);
}

TEST_F(BlankBitmap, ClearBitmapZeroesEveryField) {
    ASSERT_EQ(m_proc.CreateBlankBitmap(&m_bmp, 5, 3, 16, 0), SX_SUCCESS);
    m_bmp.bUserFlag = 1;
    m_bmp.wUserValue = 2;
    EXPECT_EQ(CImageLoadProc::ClearBitmap(&m_bmp), 0u);
    EXPECT_EQ(m_bmp.dwSize, 0u);
    EXPECT_EQ(m_bmp.wBitCount, 0);
    EXPECT_EQ(m_bmp.dwWidth, 0u);
    EXPECT_EQ(m_bmp.dwHeight, 0u);
    EXPECT_EQ(m_bmp.pData, nullptr);
    EXPECT_EQ(m_bmp.bLoaded, 0);
    EXPECT_EQ(m_bmp.bUserFlag, 0);
    EXPECT_EQ(m_bmp.wUserValue, 0);
    // An empty record clears again without harm.
    EXPECT_EQ(CImageLoadProc::ClearBitmap(&m_bmp), 0u);
}

} // namespace
} // namespace sorvik::test
