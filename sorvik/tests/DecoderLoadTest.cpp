#include "ImageFiles.h"

#include <platform/CWnd.h>
#include <platform/Files.h>
#include <platform/MessageBox.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace sorvik::test;

std::string ReadPicture(const char* name) {
    std::ifstream in(std::filesystem::path(SORVIK_PICTURES_DIR) / name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// 2 x 2, bottom row blue blue, top row red green.
std::string TwoByTwo() {
    return MakeBmp(2, 2, 24, 16,
                   Bytes({0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0}));
}

class DecoderLoadTest : public ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        platform::SetFramePacing(false);
        platform::SetMessageBoxHook([this](const std::u16string& text) {
            m_messages.push_back(text);
            return IDOK;
        });
    }
    void TearDown() override {
        platform::SetMessageBoxHook(nullptr);
        ImageTest::TearDown();
    }
    std::vector<std::u16string> m_messages;
};

struct MemoryDC {
    CDC dc;
    MemoryDC() { dc.CreateCompatibleDC(nullptr); }
};

TEST_F(DecoderLoadTest, LoadJpegOnAMissingFileSaysDiiFailedOnce) {
    MemoryDC m;
    EXPECT_EQ(CImageLoadProc::LoadJPEG(u"\\Windows\\nothing.jpg", &m.dc), nullptr);
    EXPECT_EQ(m_messages, (std::vector<std::u16string>{u"DII Failed!"}));
}

TEST_F(DecoderLoadTest, LoadJpegSelectsA24BitBitmapIntoTheSurface) {
    MemoryDC m;
    HBITMAP bitmap = CImageLoadProc::LoadJPEG(Put("two.bmp", TwoByTwo()).c_str(), &m.dc);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_TRUE(m_messages.empty());
    BITMAP bm;
    ASSERT_TRUE(GetObjectW(bitmap, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 2);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_EQ(GetCurrentObject(m.dc, OBJ_BITMAP), bitmap);
    EXPECT_EQ(m.dc.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(m.dc.GetPixel(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(m.dc.GetPixel(0, 1), RGB(0, 0, 255));
    m.dc.DeleteDC();
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST_F(DecoderLoadTest, LoadJpegReadsJpegAndGifFiles) {
    for (const char* name : {"small.jpg", "four-colours.gif"}) {
        MemoryDC m;
        HBITMAP bitmap = CImageLoadProc::LoadJPEG(Put(name, ReadPicture(name)).c_str(), &m.dc);
        ASSERT_NE(bitmap, nullptr) << name;
        BITMAP bm;
        GetObjectW(bitmap, sizeof bm, &bm);
        EXPECT_GT(bm.bmWidth, 0);
        m.dc.DeleteDC();
        DeleteObject(bitmap);
    }
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(DecoderLoadTest, LoadJpegOnGarbageFailsWithoutABitmap) {
    MemoryDC m;
    const int before = platform::LiveGdiObjectCount();
    EXPECT_EQ(CImageLoadProc::LoadJPEG(Put("bad.jpg", std::string(5000, '\x42')).c_str(), &m.dc),
              nullptr);
    EXPECT_EQ(platform::LiveGdiObjectCount(), before);
    EXPECT_EQ(m_messages.size(), 1u);
}

TEST_F(DecoderLoadTest, GetImageDataGivesNothingForTheInvalidHandle) {
    char buffer[16] = {};
    EXPECT_EQ(CImageLoadProc::GetImageData(buffer, sizeof buffer,
                                           reinterpret_cast<LPARAM>(INVALID_HANDLE_VALUE)),
              0u);
    const std::u16string path = Put("ten.bin", "0123456789");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CImageLoadProc::GetImageData(buffer, 4, reinterpret_cast<LPARAM>(file)), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(CImageLoadProc::GetImageData(buffer, 16, reinterpret_cast<LPARAM>(file)), 6u);
    EXPECT_EQ(CImageLoadProc::GetImageData(buffer, 16, reinterpret_cast<LPARAM>(file)), 0u);
    EXPECT_TRUE(CloseHandle(file));
}

class Plain : public CWnd {};

TEST_F(DecoderLoadTest, LoadJpeg2FillsTheRecordThroughTheWindow) {
    Plain wnd;
    ASSERT_TRUE(wnd.Create(nullptr, u"w", WS_VISIBLE, RECT{0, 0, 4, 4}, nullptr, 1));
    m_bmp.bUserFlag = 7;
    ASSERT_EQ(CImageLoadProc::LoadJPEG2(wnd, Put("two.bmp", TwoByTwo()).c_str(), &m_bmp),
              SX_SUCCESS);
    EXPECT_EQ(m_bmp.bLoaded, 1);
    EXPECT_EQ(m_bmp.wBitCount, 16);
    EXPECT_EQ(m_bmp.bUserFlag, 0);
    EXPECT_EQ(m_bmp.dwWidth, 2u);
    EXPECT_EQ(m_bmp.dwSize, 8u);
    EXPECT_EQ(Pixels16(m_bmp), (std::vector<std::uint16_t>{0xF800, 0x07E0, 0x001F, 0x001F}));
    // The picture was shown on the window on the way.
    EXPECT_EQ(platform::WindowCopyCount(wnd), 1);
}

TEST_F(DecoderLoadTest, LoadJpeg2ReportsMissingAndUndecodableFiles) {
    Plain wnd;
    ASSERT_TRUE(wnd.Create(nullptr, u"w", WS_VISIBLE, RECT{0, 0, 4, 4}, nullptr, 1));
    m_bmp.dwWidth = 99;
    EXPECT_EQ(CImageLoadProc::LoadJPEG2(wnd, u"\\Windows\\none.jpg", &m_bmp), SX_E_OPENFILE);
    EXPECT_EQ(m_bmp.dwWidth, 99u); // left as it was
    const int before = platform::LiveGdiObjectCount();
    EXPECT_EQ(CImageLoadProc::LoadJPEG2(wnd, Put("bad.gif", "GIF89a....").c_str(), &m_bmp),
              SX_E_UNSUPPORTED);
    EXPECT_EQ(m_bmp.dwWidth, 0u);
    EXPECT_EQ(m_bmp.pData, nullptr);
    EXPECT_EQ(platform::LiveGdiObjectCount(), before);
    EXPECT_EQ(m_messages, (std::vector<std::u16string>{u"No File!", u"DII Failed!"}));
}

} // namespace
