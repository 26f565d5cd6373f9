#include "ImageFiles.h"

#include <platform/Device.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

// The checked-in hostile files, copied into the case's device folder.
class MalformedFile : public ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        m_folder = Device() / "Windows" / "malformed";
        fs::create_directories(m_folder);
        for (const auto& entry : fs::directory_iterator(SORVIK_MALFORMED_DIR))
            fs::copy_file(entry.path(), m_folder / entry.path().filename());
    }

    std::u16string PathOf(const fs::path& file) const {
        return platform::DevicePath(m_folder / file).value();
    }

    std::vector<fs::path> FilesWith(const std::string& extension) const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(m_folder))
            if (entry.path().extension() == extension)
                files.push_back(entry.path().filename());
        return files;
    }

    fs::path m_folder;
};

TEST_F(MalformedFile, HostileBitmapHeadersAreRefusedWithoutABuffer) {
    std::vector<fs::path> files = FilesWith(".bmp");
    for (const auto& pf : FilesWith(".pf"))
        files.push_back(pf);
    ASSERT_GE(files.size(), 15u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        // A loaded record first, so that the refusal must also empty it.
        ASSERT_EQ(m_proc.CreateBlankBitmap(&m_bmp, 2, 2, 16, 0), SX_SUCCESS);
        EXPECT_EQ(CImageLoadProc::LoadBitmapW(PathOf(file).c_str(), &m_bmp, 1, 2),
                  SX_E_UNSUPPORTED);
        EXPECT_EQ(m_bmp.pData, nullptr);
        EXPECT_EQ(m_bmp.bLoaded, 0);
        EXPECT_EQ(m_bmp.bUserFlag, 0);
        EXPECT_EQ(m_bmp.wUserValue, 0);
    }
}

TEST_F(MalformedFile, HeaderFieldsReadBeforeTheRefusalStay) {
    EXPECT_EQ(CImageLoadProc::LoadBitmapW(PathOf("bmp-size-beyond-file.bmp").c_str(), &m_bmp, 0, 0),
              SX_E_UNSUPPORTED);
    EXPECT_EQ(m_bmp.dwWidth, 1000u);
    EXPECT_EQ(m_bmp.dwHeight, 1000u);
    EXPECT_EQ(m_bmp.wBitCount, 24);
    EXPECT_EQ(m_bmp.dwSize, 3000000u);

    EXPECT_EQ(CImageLoadProc::LoadBitmapW(PathOf("pf-depth-32.pf").c_str(), &m_bmp, 0, 0),
              SX_E_UNSUPPORTED);
    EXPECT_EQ(m_bmp.wBitCount, 32);
    EXPECT_EQ(m_bmp.dwWidth, 2u);
    EXPECT_EQ(m_bmp.pData, nullptr);
}

TEST_F(MalformedFile, DamagedPalettesGiveNone) {
    const auto files = FilesWith(".pal");
    ASSERT_GE(files.size(), 3u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        EXPECT_EQ(m_proc.LoadPalette(PathOf(file).c_str()), nullptr);
    }
}

TEST_F(MalformedFile, BitmapFilesReadAsPalettesStayWithinTheirColours) {
    // A PF bitmap has a palette's signature; its width's low byte becomes the count.
    _SXPALETTE* palette = m_proc.LoadPalette(PathOf("pf-dimensions-overflow.pf").c_str());
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->nColors, 256);
    EXPECT_EQ(palette->pColors[0], 0x0100); // bytes 3 and 4: width's second and third bytes
    EXPECT_EQ(palette->pColors[255], 0);    // far past the file's end
    FreePalette(palette);
}

} // namespace
} // namespace sorvik::test
