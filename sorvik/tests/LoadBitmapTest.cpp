#include "ImageFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sorvik::test {
namespace {

using ::testing::ElementsAre;

// Bottom row blue, blue; top row red, red; each 6-byte row padded to 8.
const std::string k2x2Pixels = Bytes({0xFF, 0, 0, 0xFF, 0, 0, 0, 0, //
                                      0, 0, 0xFF, 0, 0, 0xFF, 0, 0});

using LoadBitmap = ImageTest;

TEST_F(LoadBitmap, TwentyFourBitRowsBecomeTopDownRGB565) {
    for (std::uint32_t imageSize : {16u, 0u}) {
        SCOPED_TRACE(imageSize);
        auto path = Put("two.bmp", MakeBmp(2, 2, 24, imageSize, k2x2Pixels));
        ASSERT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, 0, 0), SX_SUCCESS);
        EXPECT_THAT(Pixels16(m_bmp), ElementsAre(0xF800, 0xF800, 0x001F, 0x001F));
        EXPECT_EQ(m_bmp.wBitCount, 16);
        EXPECT_EQ(m_bmp.dwSize, 8u);
        EXPECT_EQ(m_bmp.dwWidth, 2u);
        EXPECT_EQ(m_bmp.dwHeight, 2u);
        EXPECT_EQ(m_bmp.bLoaded, 1);
    }
}

TEST_F(LoadBitmap, PixelDataIsReadFromItsOffset) {
    auto path = Put("offset.bmp", MakeBmp(2, 2, 24, 16, k2x2Pixels, 1078));
    ASSERT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, 0, 0), SX_SUCCESS);
    EXPECT_THAT(Pixels16(m_bmp), ElementsAre(0xF800, 0xF800, 0x001F, 0x001F));
}

TEST_F(LoadBitmap, MissingBytesOfAShortFileReadAsZero) {
    std::string file = MakeBmp(2, 2, 24, 16, k2x2Pixels);
    file.resize(file.size() - 4); // loses the red byte of the top row's second pixel
    auto path = Put("short.bmp", file);
    ASSERT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, 0, 0), SX_SUCCESS);
    EXPECT_THAT(Pixels16(m_bmp), ElementsAre(0xF800, 0x0000, 0x001F, 0x001F));

    auto pf = Put("short.pf", MakePF(2, 2, 8, Bytes({1, 2, 3})));
    ASSERT_EQ(CImageLoadProc::LoadBitmapW(pf.c_str(), &m_bmp, 0, 0), SX_SUCCESS);
    EXPECT_THAT(Pixels8(m_bmp), ElementsAre(1, 2, 3, 0));
}

TEST_F(LoadBitmap, PFPixelsAreTakenAsStored) {
    auto path8 = Put("eight.pf", MakePF(3, 2, 8, Bytes({1, 2, 3, 4, 5, 6})));
    ASSERT_EQ(CImageLoadProc::LoadBitmapW(path8.c_str(), &m_bmp, 0, 0), SX_SUCCESS);
    EXPECT_THAT(Pixels8(m_bmp), ElementsAre(1, 2, 3, 4, 5, 6));
    EXPECT_EQ(m_bmp.wBitCount, 8);
    EXPECT_EQ(m_bmp.dwSize, 6u);

    auto path16 = Put("sixteen.pf", MakePF(1, 2, 16, Bytes({0x34, 0x12, 0xCD, 0xAB})));
    ASSERT_EQ(CImageLoadProc::LoadBitmapW(path16.c_str(), &m_bmp, 0, 0), SX_SUCCESS);
    EXPECT_THAT(Pixels16(m_bmp), ElementsAre(0x1234, 0xABCD));
    EXPECT_EQ(m_bmp.wBitCount, 16);
    EXPECT_EQ(m_bmp.dwSize, 4u);
    EXPECT_EQ(m_bmp.dwWidth, 1u);
    EXPECT_EQ(m_bmp.dwHeight, 2u);
}

TEST_F(LoadBitmap, PFDepthsOtherThan8And16AreRefused) {
    for (std::uint16_t bits : {24, 32, 0, 1}) {
        SCOPED_TRACE(bits);
        auto path = Put("deep.pf", MakePF(1, 1, bits, std::string(4, '\x7F')));
        EXPECT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, 1, 1), SX_E_UNSUPPORTED);
        EXPECT_EQ(m_bmp.pData, nullptr);
        EXPECT_EQ(m_bmp.bLoaded, 0);
        EXPECT_EQ(m_bmp.bUserFlag, 0);
        // The header fields read so far stay.
        EXPECT_EQ(m_bmp.wBitCount, bits);
        EXPECT_EQ(m_bmp.dwWidth, 1u);
    }
}

TEST_F(LoadBitmap, PaddedEightAndSixteenBitRowsLoseTheirPadding) {
    // 3 x 2 at 8 bits: rows of 3 padded to 4, kept bottom row first.
    const std::string rows8 = Bytes({1, 2, 3, 0xEE, 4, 5, 6, 0xEE});
    for (std::uint32_t imageSize : {8u, 0u}) {
        SCOPED_TRACE(imageSize);
        auto path = Put("eight.bmp", MakeBmp(3, 2, 8, imageSize, rows8, 54 + 1024));
        ASSERT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, 0, 0), SX_SUCCESS);
        EXPECT_THAT(Pixels8(m_bmp), ElementsAre(1, 2, 3, 4, 5, 6));
        EXPECT_EQ(m_bmp.dwSize, 6u);
        EXPECT_EQ(m_bmp.wBitCount, 8);
    }
    // 1 x 2 at 16 bits: rows of 2 bytes padded to 4.
    const std::string rows16 = Bytes({0x34, 0x12, 0xEE, 0xEE, 0xCD, 0xAB, 0xEE, 0xEE});
    for (std::uint32_t imageSize : {8u, 0u}) {
        SCOPED_TRACE(imageSize);
        auto path = Put("sixteen.bmp", MakeBmp(1, 2, 16, imageSize, rows16));
        ASSERT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, 0, 0), SX_SUCCESS);
        EXPECT_THAT(Pixels16(m_bmp), ElementsAre(0x1234, 0xABCD));
        EXPECT_EQ(m_bmp.dwSize, 4u);
        EXPECT_EQ(m_bmp.wBitCount, 16);
    }
}

TEST_F(LoadBitmap, UserValuesTravelOnlyWithANonZeroFlag) {
    auto path = Put("two.bmp", MakeBmp(2, 2, 24, 16, k2x2Pixels));
    ASSERT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, 0, 77), SX_SUCCESS);
    EXPECT_EQ(m_bmp.bUserFlag, 0);
    EXPECT_EQ(m_bmp.wUserValue, 0);

    ASSERT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, -3, 77), SX_SUCCESS);
    EXPECT_EQ(m_bmp.bUserFlag, -3);
    EXPECT_EQ(m_bmp.wUserValue, 77);

    // Reloading empties the record first, so old values do not survive.
    ASSERT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, 0, 5), SX_SUCCESS);
    EXPECT_EQ(m_bmp.bUserFlag, 0);
    EXPECT_EQ(m_bmp.wUserValue, 0);
}

TEST_F(LoadBitmap, AFileThatCannotBeOpenedLeavesTheRecordAsItWas) {
    auto path = Put("two.bmp", MakeBmp(2, 2, 24, 16, k2x2Pixels));
    ASSERT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, 4, 9), SX_SUCCESS);
    const _SXBMP before = m_bmp;

    EXPECT_EQ(CImageLoadProc::LoadBitmapW(u"\\Windows\\none.bmp", &m_bmp, 0, 0), SX_E_OPENFILE);
    EXPECT_EQ(CImageLoadProc::LoadBitmapW(u"\\Windows", &m_bmp, 0, 0), SX_E_OPENFILE);
    EXPECT_EQ(CImageLoadProc::LoadBitmapW(nullptr, &m_bmp, 0, 0), SX_E_OPENFILE);
    EXPECT_EQ(m_bmp.pData, before.pData);
    EXPECT_EQ(m_bmp.dwSize, before.dwSize);
    EXPECT_EQ(m_bmp.bUserFlag, 4);
    EXPECT_THAT(Pixels16(m_bmp), ElementsAre(0xF800, 0xF800, 0x001F, 0x001F));
}

TEST_F(LoadBitmap, AnUnknownSignatureEmptiesTheRecord) {
    auto good = Put("two.bmp", MakeBmp(2, 2, 24, 16, k2x2Pixels));
    ASSERT_EQ(CImageLoadProc::LoadBitmapW(good.c_str(), &m_bmp, 4, 9), SX_SUCCESS);
    auto bad = Put("gif.bmp", "GIF89a" + std::string(64, '\0'));
    EXPECT_EQ(CImageLoadProc::LoadBitmapW(bad.c_str(), &m_bmp, 4, 9), SX_E_UNSUPPORTED);
    EXPECT_EQ(m_bmp.pData, nullptr);
    EXPECT_EQ(m_bmp.bLoaded, 0);
    EXPECT_EQ(m_bmp.dwSize, 0u);
    EXPECT_EQ(m_bmp.dwWidth, 0u);
    EXPECT_EQ(m_bmp.bUserFlag, 0);
}

TEST_F(LoadBitmap, BmpDepthsOtherThan8To24AreRefused) {
    for (std::uint16_t bits : {32, 1, 4}) {
        SCOPED_TRACE(bits);
        auto path = Put("deep.bmp", MakeBmp(2, 2, bits, 16, std::string(16, '\x7F')));
        EXPECT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, 0, 0), SX_E_UNSUPPORTED);
        EXPECT_EQ(m_bmp.pData, nullptr);
        EXPECT_EQ(m_bmp.wBitCount, bits);
    }
}

// Opens the protected conversion for the cases a file header cannot reach directly.
class ConvertProbe : public CImageLoadProc {
public:
    using CImageLoadProc::ConvertToCompatibleBitmap;
};

TEST_F(LoadBitmap, TwentyFourBitPaddingIsTakenModulo256) {
    // One pixel per row, stated stride 259: the padding byte is 256 mod 256 = 0, so the second
    // stored row is read right after the first pixel.
    std::vector<BYTE> raw(518, 0);
    raw[0] = 0xFF;       // stored row 0: blue
    raw[3 + 2] = 0xFF;   // stored row 1 as the byte padding places it: red
    raw[259 + 1] = 0xFF; // where a full stride would place it: green, not used
    m_bmp.dwWidth = 1;
    m_bmp.dwHeight = 2;
    m_bmp.wBitCount = 24;
    m_bmp.dwSize = 518;
    EXPECT_EQ(ConvertProbe::ConvertToCompatibleBitmap(&m_bmp, raw.data()), 0u);
    EXPECT_THAT(Pixels16(m_bmp), ElementsAre(0xF800, 0x001F));
    EXPECT_EQ(m_bmp.dwSize, 4u);
}

TEST_F(LoadBitmap, ConversionOfAnOtherDepthDoesNothing) {
    std::vector<BYTE> raw(16, 0xAA);
    m_bmp.dwWidth = 2;
    m_bmp.dwHeight = 2;
    m_bmp.wBitCount = 32;
    m_bmp.dwSize = 16;
    EXPECT_EQ(ConvertProbe::ConvertToCompatibleBitmap(&m_bmp, raw.data()), 0u);
    EXPECT_EQ(m_bmp.pData, nullptr);
    EXPECT_EQ(m_bmp.bLoaded, 0);
    EXPECT_EQ(m_bmp.wBitCount, 32);
}

} // namespace
} // namespace sorvik::test
