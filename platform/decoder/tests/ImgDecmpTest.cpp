#include <platform/Gdi.h>
#include <platform/ImgDecmp.h>

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Stream {
    explicit Stream(QByteArray b) : bytes(std::move(b)) {}
    QByteArray bytes;
    qsizetype position = 0;
    std::vector<DWORD> asked;
};

DWORD Read(LPSTR buffer, DWORD wanted, LPARAM lParam) {
    auto* stream = reinterpret_cast<Stream*>(lParam);
    stream->asked.push_back(wanted);
    const auto n = std::min<qsizetype>(wanted, stream->bytes.size() - stream->position);
    std::memcpy(buffer, stream->bytes.constData() + stream->position, n);
    stream->position += n;
    return static_cast<DWORD>(n);
}

QByteArray Jpeg(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

HRESULT Decompress(Stream& stream, int depth, HBITMAP* bitmap, DWORD workBytes = 4096) {
    std::vector<BYTE> work(workBytes);
    DecompressImageInfo info;
    info.dwSize = sizeof info;
    info.pbBuffer = work.data();
    info.dwBufferMax = workBytes;
    info.phBM = bitmap;
    info.iBitDepth = depth;
    info.lParam = reinterpret_cast<LPARAM>(&stream);
    info.iScale = 100;
    info.iMaxWidth = 2048;
    info.iMaxHeight = 768;
    info.pfnGetData = &Read;
    return DecompressImageIndirect(&info);
}

// The decoder needs no application object of the caller's; it makes what it needs.
class ImgDecmpTest : public ::testing::Test {};

TEST_F(ImgDecmpTest, ReadsInPiecesOfTheWorkBufferAtMost4096) {
    Stream stream(Jpeg(640, 480));
    ASSERT_GT(stream.bytes.size(), 4096);
    HBITMAP bitmap = nullptr;
    ASSERT_GE(Decompress(stream, 24, &bitmap), 0);
    EXPECT_TRUE(std::all_of(stream.asked.begin(), stream.asked.end(),
                            [](DWORD n) { return n > 0 && n <= 4096; }));
    BITMAP bm;
    GetObjectW(bitmap, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 640);
    EXPECT_EQ(bm.bmHeight, 480);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_NE(bm.bmBits, nullptr);
    DeleteObject(bitmap);

    Stream small(Jpeg(64, 64));
    ASSERT_GE(Decompress(small, 24, &bitmap, 1000), 0);
    EXPECT_LE(*std::max_element(small.asked.begin(), small.asked.end()), 1000u);
    DeleteObject(bitmap);
}

TEST_F(ImgDecmpTest, AnOversizedPictureIsReducedToTheLimit) {
    Stream stream(Jpeg(4096, 1536));
    HBITMAP bitmap = nullptr;
    ASSERT_GE(Decompress(stream, 24, &bitmap), 0);
    BITMAP bm;
    GetObjectW(bitmap, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 2048);
    EXPECT_EQ(bm.bmHeight, 768);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF c = GetPixel(dc, 1000, 400);
    EXPECT_NEAR(GetRValue(c), 40, 6);
    EXPECT_NEAR(GetBValue(c), 200, 6);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(ImgDecmpTest, FailureIsNegativeAndMakesNoBitmap) {
    const int live = platform::LiveGdiObjectCount();
    for (QByteArray bad : {QByteArray(), QByteArray(9000, 'x'), Jpeg(100, 100).left(300)}) {
        Stream stream(bad);
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
        EXPECT_LT(Decompress(stream, 24, &bitmap), 0);
        EXPECT_EQ(bitmap, nullptr);
    }
    EXPECT_EQ(platform::LiveGdiObjectCount(), live);
    DecompressImageInfo empty;
    EXPECT_LT(DecompressImageIndirect(&empty), 0);
    EXPECT_LT(DecompressImageIndirect(nullptr), 0);
}

TEST_F(ImgDecmpTest, OtherDepthsGiveABitmapCompatibleWithTheDisplay) {
    Stream stream(Jpeg(8, 8));
    HBITMAP bitmap = nullptr;
    ASSERT_GE(Decompress(stream, 16, &bitmap), 0);
    BITMAP bm;
    GetObjectW(bitmap, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBits, nullptr);
    EXPECT_EQ(bm.bmWidth, 8);
    DeleteObject(bitmap);
}

} // namespace
