#include <sorvik/CImageLoadProc.h>

#include <platform/CWnd.h>
#include <platform/Device.h>

#include <testsupport/ImageFiles.h>
#include <testsupport/RecordedShell.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using testsupport::MakeBmp;
using Units = std::vector<int>;

std::string Bytes(std::initializer_list<int> bytes) {
    return {bytes.begin(), bytes.end()};
}
std::string MakePF(std::uint32_t width, std::uint32_t height, std::uint16_t bits,
                   const std::string& pixels) {
    std::string out = "PF";
    testsupport::PutDword(out, width);
    testsupport::PutDword(out, height);
    testsupport::PutWord(out, bits);
    return out + pixels;
}
// The record's pixels: words at 16 bits, bytes otherwise.
Units Pixels(const _SXBMP& bmp) {
    Units out;
    for (DWORD i = 0; bmp.pData && i < bmp.dwSize; i += bmp.wBitCount == 16 ? 2 : 1)
        out.push_back(bmp.wBitCount == 16 ? bmp.pData[i] | bmp.pData[i + 1] << 8 : bmp.pData[i]);
    return out;
}

// Bottom row blue, blue; top row red, green; each 6-byte row padded to 8.
const std::string k2x2 = Bytes({0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0});
const Units k2x2Pixels{0xF800, 0x07E0, 0x001F, 0x001F};

class ImageTest : public testsupport::RecordedShellTest {
protected:
    void TearDown() override {
        CImageLoadProc::ClearBitmap(&m_bmp);
        RecordedShellTest::TearDown();
    }
    DWORD Load(const std::string& content, int bUserFlag = 0, WORD wUserValue = 0) {
        return CImageLoadProc::LoadBitmapW(Put("file", content).c_str(), &m_bmp, bUserFlag,
                                           wUserValue);
    }

    _SXBMP m_bmp{};
    CImageLoadProc m_proc;
};

TEST_F(ImageTest, BitmapFilesLoadTopDownWithoutPaddingAndAFailedOpenKeepsTheRecord) {
    std::string shortFile = MakeBmp(2, 2, 24, 16, k2x2);
    shortFile.resize(shortFile.size() - 4); // loses the top row's green
    const std::string rows8 = Bytes({1, 2, 3, 0xEE, 4, 5, 6, 0xEE});
    const std::string rows16 = Bytes({0x34, 0x12, 0xEE, 0xEE, 0xCD, 0xAB, 0xEE, 0xEE});
    // One pixel in rows of 259 bytes: the padding is 256 mod 256 = 0 bytes, so the upper row
    // is read right after the first pixel (red), not a full row on (green).
    std::string rows259(518, 0);
    rows259[0] = rows259[5] = rows259[260] = '\xFF';
    struct Row {
        const char* what;
        std::string file;
        int nBits, nWidth;
        Units pixels;
    } table[] = {
        {"24 bits", MakeBmp(2, 2, 24, 16, k2x2), 16, 2, k2x2Pixels},
        {"24 bits, no image size", MakeBmp(2, 2, 24, 0, k2x2), 16, 2, k2x2Pixels},
        {"short file", shortFile, 16, 2, {0xF800, 0, 0x001F, 0x001F}},
        {"8 bits at 1078, no size", MakeBmp(3, 2, 8, 0, rows8, 1078), 8, 3, {1, 2, 3, 4, 5, 6}},
        {"16 bits", MakeBmp(1, 2, 16, 8, rows16), 16, 1, {0x1234, 0xABCD}},
        {"24 bits, padding over 255", MakeBmp(1, 2, 24, 518, rows259), 16, 1, {0xF800, 0x001F}},
        {"PF 8", MakePF(3, 2, 8, Bytes({1, 2, 3, 4, 5, 6})), 8, 3, {1, 2, 3, 4, 5, 6}},
        {"PF 16", MakePF(1, 2, 16, Bytes({0x34, 0x12, 0xCD, 0xAB})), 16, 1, {0x1234, 0xABCD}},
        {"short PF", MakePF(2, 2, 8, Bytes({1, 2, 3})), 8, 2, {1, 2, 3, 0}}};
    // The user value is kept only with a non-zero flag.
    for (const Row& row : table) {
        const int flag = static_cast<int>(&row - table) - 1;
        SCOPED_TRACE(row.what);
        ASSERT_EQ(Load(row.file, flag, 77), SX_SUCCESS);
        EXPECT_EQ(Pixels(m_bmp), row.pixels);
        EXPECT_EQ(std::tuple(m_bmp.wBitCount, m_bmp.dwWidth, m_bmp.dwHeight, m_bmp.bLoaded,
                             m_bmp.dwSize, m_bmp.bUserFlag, m_bmp.wUserValue),
                  std::tuple(row.nBits, row.nWidth, 2, 1, row.pixels.size() * row.nBits / 8, flag,
                             flag ? 77 : 0));
    }
    // A failed open keeps the record.
    const BYTE* data = m_bmp.pData;
    for (LPCWSTR path : {u"\\Windows\\none.bmp", u"\\Windows", static_cast<LPCWSTR>(nullptr)})
        EXPECT_EQ(CImageLoadProc::LoadBitmapW(path, &m_bmp, 0, 0), SX_E_OPENFILE);
    EXPECT_EQ(std::tuple(m_bmp.pData, Pixels(m_bmp), m_bmp.bUserFlag),
              std::tuple(data, std::rbegin(table)->pixels, static_cast<int>(std::size(table)) - 2));
}

// Hostile files, and other depths and signatures, whose header is kept read.
TEST_F(ImageTest, HostileFilesAndOtherDepthsAreRefusedWithoutABuffer) {
    const fs::path folder = Device() / "Windows" / "malformed";
    fs::create_directories(folder);
    fs::copy(SORVIK_MALFORMED_DIR, folder);
    std::vector<std::pair<std::u16string, int>> files; // and the depth read, -1 when any
    for (const auto& entry : fs::directory_iterator(folder))
        files.emplace_back(platform::DevicePath(entry.path()).value(), -1);
    for (auto [file, bits] : {std::pair(MakePF(1, 1, 0, "x"), 0),
                              {MakePF(1, 1, 1, "x"), 1},
                              {MakeBmp(2, 2, 32, 16, k2x2), 32},
                              {MakeBmp(2, 2, 4, 16, k2x2), 4},
                              {"GIF89a" + std::string(64, 0), 0}})
        files.emplace_back(Put("depth" + std::to_string(files.size()), file), bits);
    for (const auto& [path, bits] : files) {
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        if (path.ends_with(u".pal")) {
            EXPECT_EQ(m_proc.LoadPalette(path.c_str()), nullptr);
            continue;
        }
        ASSERT_EQ(Load(MakeBmp(2, 2, 24, 16, k2x2), 4, 9), SX_SUCCESS);
        EXPECT_EQ(CImageLoadProc::LoadBitmapW(path.c_str(), &m_bmp, 1, 2), SX_E_UNSUPPORTED);
        EXPECT_EQ(std::tuple(m_bmp.pData, m_bmp.bLoaded, m_bmp.bUserFlag),
                  std::tuple(nullptr, 0, 0));
        EXPECT_EQ(m_bmp.wBitCount, bits < 0 ? m_bmp.wBitCount : bits);
    }
    EXPECT_GE(files.size(), 23u);
    CImageLoadProc::LoadBitmapW(u"\\Windows\\malformed\\bmp-size-beyond-file.bmp", &m_bmp, 0, 0);
    EXPECT_EQ(std::tuple(m_bmp.dwWidth, m_bmp.dwHeight, m_bmp.dwSize),
              std::tuple(1000, 1000, 3000000));
    // A PF bitmap has a palette's signature: its width's low byte becomes the colour count.
    _SXPALETTE* palette = m_proc.LoadPalette(u"\\Windows\\malformed\\pf-dimensions-overflow.pf");
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(std::tuple(palette->nColors, palette->pColors[0], palette->pColors[255]),
              std::tuple(256, 0x0100, 0));
    FreePalette(palette);
}

class Probe : public CImageLoadProc {
public:
    using CImageLoadProc::ConvertToCompatibleBitmap;
};

TEST_F(ImageTest, ColoursPackIntoSixteenBits) {
    // A colour value with 6 or 5 bits of green.
    const unsigned fromColours[][3] = {{0x00FFFFFF, 6, 0xFFFF}, {0x00FFFFFF, 5, 0xFBFF},
                                       {0x00FFFFFF, 0, 0xFBFF}, {0x000000FF, 6, 0xF800},
                                       {0x00FF0000, 6, 0x001F}, {0x0000FF00, 5, 0x03E0},
                                       {0xFF000000, 6, 0}};
    for (auto [colour, green, packed] : fromColours)
        EXPECT_EQ(m_proc.SX24RGB16Short(colour, static_cast<BYTE>(green)), packed)
            << colour << "/" << green;
    // Each channel moved by the change and held within its range.
    const int pixel = (0x80 << 8) | (0x40 << 3) | (0x20 >> 3);
    const int up = (0x90 << 8) | (0x50 << 3) | 6, down = (0x50 << 8) | (0x10 << 3);
    const int changes[][3] = {{0xFFFF, 10, 0xFFFF}, {0, -10, 0},         {0xFFFF, 32767, 0xFFFF},
                              {0xFFFF, -32768, 0},  {0xF800, 8, 0xF841}, {0x0020, 0, 0},
                              {0xFFFF, 0, 0xFFDF},  {pixel, 0x10, up},   {pixel, -0x30, down}};
    for (auto [in, change, out] : changes)
        EXPECT_EQ(m_proc.SetPixelValue(static_cast<WORD>(in), static_cast<short>(change)), out)
            << in << "+" << change;
}

TEST_F(ImageTest, BlankBitmapsAreMadeAndRawPixelsConvertedAt16And8BitsOnly) {
    // Width, height, depth, result, size, loaded.
    const DWORD rows[][6] = {{5, 3, 16, SX_SUCCESS, 30, 1},
                             {5, 3, 8, SX_SUCCESS, 15, 1},
                             {4, 2, 24, SX_E_UNSUPPORTED, 24, 0},
                             {4, 2, 32, SX_E_UNSUPPORTED, 0, 0},
                             {0x10000, 0x10000, 16, SX_E_NOMEMORY, 0, 0}};
    for (auto [w, h, bits, result, size, loaded] : rows) {
        m_bmp.bUserFlag = 3;
        EXPECT_EQ(m_proc.CreateBlankBitmap(&m_bmp, w, h, static_cast<WORD>(bits), 0), result)
            << bits;
        EXPECT_EQ(std::tuple(m_bmp.dwSize, m_bmp.bLoaded, m_bmp.pData != nullptr, m_bmp.bUserFlag),
                  std::tuple(size, static_cast<int>(loaded), loaded == 1, 0))
            << w << " x " << h << " at " << bits;
        if (loaded)
            m_bmp.pData[size - 1] = 1; // the whole buffer is writable
    }
    EXPECT_EQ(CImageLoadProc::ClearBitmap(&m_bmp), 0u);
    EXPECT_EQ(std::tuple(m_bmp.dwWidth, m_bmp.dwHeight, m_bmp.wBitCount), std::tuple(0, 0, 0));
    // Nor are other depths converted.
    std::vector<BYTE> raw(16, 0);
    m_bmp = {16, 32, 2, 2};
    EXPECT_EQ(Probe::ConvertToCompatibleBitmap(&m_bmp, raw.data()), 0u);
    EXPECT_EQ(std::tuple(m_bmp.pData, m_bmp.bLoaded, m_bmp.wBitCount), std::tuple(nullptr, 0, 32));
}

// Up to 255 colours here; a count byte of 0 giving 256 is read with the hostile files.
TEST_F(ImageTest, PalettesHoldTheirColoursInFileOrder) {
    // Nothing from a file written big-endian ("FP").
    for (auto [file, colours] : {std::pair(Bytes({'P', 'F', 3, 0x34, 0x12, 0x00, 0xF8, 0x1F, 0x00}),
                                           Units{0x1234, 0xF800, 0x001F}),
                                 {Bytes({'P', 'F', 4, 0xCD, 0xAB, 0x01}), Units{0xABCD, 1, 0, 0}},
                                 {"FP\1\0\0", Units{}}}) {
        _SXPALETTE* palette = m_proc.LoadPalette(Put("p.pal", file).c_str());
        EXPECT_EQ(palette ? Units(palette->pColors, palette->pColors + palette->nColors) : Units{},
                  colours);
        FreePalette(palette);
    }
    EXPECT_EQ(m_proc.LoadPalette(nullptr), nullptr);
}

TEST_F(ImageTest, TheDecoderLoadsIntoASurfaceOrARecordAndTellsWhatItCannotRead) {
    // Decoding itself is the platform decoder's; here a bitmap file goes through it.
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    HBITMAP bitmap =
        CImageLoadProc::LoadJPEG(Put("two.bmp", MakeBmp(2, 2, 24, 16, k2x2)).c_str(), &dc);
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm;
    ASSERT_TRUE(GetObjectW(bitmap, sizeof bm, &bm));
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap);
    EXPECT_EQ(std::tuple(dc.GetPixel(0, 0), dc.GetPixel(1, 0), dc.GetPixel(0, 1)),
              std::tuple(RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)));
    CWnd wnd;
    ASSERT_TRUE(wnd.Create(nullptr, u"w", WS_VISIBLE, RECT{0, 0, 4, 4}, nullptr, 1));
    m_bmp.bUserFlag = 7;
    ASSERT_EQ(CImageLoadProc::LoadJPEG2(wnd, u"\\Windows\\two.bmp", &m_bmp), SX_SUCCESS);
    EXPECT_EQ(Pixels(m_bmp), k2x2Pixels);
    EXPECT_EQ(std::tuple(m_bmp.bLoaded, m_bmp.bUserFlag, m_bmp.dwWidth), std::tuple(1, 0, 2));
    EXPECT_EQ(platform::WindowCopyCount(wnd), 1) << "shown on the window on the way";
    // Files it cannot read are told and leave nothing.
    const int live = platform::LiveGdiObjectCount();
    EXPECT_EQ(CImageLoadProc::LoadJPEG(u"\\Windows\\none.jpg", &dc), nullptr);
    EXPECT_EQ(CImageLoadProc::LoadJPEG(Put("bad.jpg", std::string(5000, 'B')).c_str(), &dc),
              nullptr);
    m_bmp.dwWidth = 99;
    EXPECT_EQ(CImageLoadProc::LoadJPEG2(wnd, u"\\Windows\\none.jpg", &m_bmp), SX_E_OPENFILE);
    EXPECT_EQ(m_bmp.dwWidth, 99u) << "left as it was";
    EXPECT_EQ(CImageLoadProc::LoadJPEG2(wnd, Put("bad.gif", "GIF89a....").c_str(), &m_bmp),
              SX_E_UNSUPPORTED);
    EXPECT_EQ(std::pair(m_bmp.dwWidth, m_bmp.pData),
              std::pair(DWORD{0}, static_cast<BYTE*>(nullptr)));
    EXPECT_EQ(platform::LiveGdiObjectCount(), live);
    EXPECT_EQ(m_messages, (std::vector<std::u16string>{u"DII Failed!", u"DII Failed!", u"No File!",
                                                       u"DII Failed!"}));
    dc.DeleteDC();
    EXPECT_TRUE(DeleteObject(bitmap));
    wnd.DestroyWindow();
}

} // namespace
