#include "ImageFiles.h"

#include <gtest/gtest.h>

#include <memory>

namespace sorvik::test {
namespace {

struct PaletteDeleter {
    void operator()(_SXPALETTE* palette) const { FreePalette(palette); }
};
using Palette = std::unique_ptr<_SXPALETTE, PaletteDeleter>;

using LoadPalette = ImageTest;

TEST_F(LoadPalette, ColoursComeInFileOrder) {
    auto path = Put("three.pal", Bytes({'P', 'F', 3, 0x34, 0x12, 0x00, 0xF8, 0x1F, 0x00}));
    Palette palette(m_proc.LoadPalette(path.c_str()));
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->wSignature, 0x4650);
    ASSERT_EQ(palette->nColors, 3);
    EXPECT_EQ(palette->pColors[0], 0x1234);
    EXPECT_EQ(palette->pColors[1], 0xF800);
    EXPECT_EQ(palette->pColors[2], 0x001F);
}

TEST_F(LoadPalette, CountZeroMeans256) {
    std::string file = Bytes({'P', 'F', 0});
    for (int i = 0; i < 256; ++i)
        PutWord(file, static_cast<std::uint16_t>(i * 257));
    auto path = Put("full.pal", file);
    Palette palette(m_proc.LoadPalette(path.c_str()));
    ASSERT_NE(palette, nullptr);
    ASSERT_EQ(palette->nColors, 256);
    EXPECT_EQ(palette->pColors[0], 0);
    EXPECT_EQ(palette->pColors[1], 257);
    EXPECT_EQ(palette->pColors[255], 255 * 257);
}

TEST_F(LoadPalette, MissingColoursReadAsZero) {
    auto path = Put("short.pal", Bytes({'P', 'F', 4, 0xCD, 0xAB, 0x01}));
    Palette palette(m_proc.LoadPalette(path.c_str()));
    ASSERT_NE(palette, nullptr);
    ASSERT_EQ(palette->nColors, 4);
    EXPECT_EQ(palette->pColors[0], 0xABCD);
    EXPECT_EQ(palette->pColors[1], 0x0001);
    EXPECT_EQ(palette->pColors[2], 0);
    EXPECT_EQ(palette->pColors[3], 0);
}

TEST_F(LoadPalette, NoPaletteWithoutAFileOrSignature) {
    EXPECT_EQ(m_proc.LoadPalette(nullptr), nullptr);
    EXPECT_EQ(m_proc.LoadPalette(u"\\Windows\\none.pal"), nullptr);
    auto bmp = Put("bitmap.pal", Bytes({'B', 'M', 1, 0, 0}));
    EXPECT_EQ(m_proc.LoadPalette(bmp.c_str()), nullptr);
    // Signature read little-endian: "FP" is not "PF".
    auto swapped = Put("swapped.pal", Bytes({'F', 'P', 1, 0, 0}));
    EXPECT_EQ(m_proc.LoadPalette(swapped.c_str()), nullptr);
}

} // namespace
} // namespace sorvik::test
