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
TEST(ImgDecmp, GivesA24BitSectionReducedToTheLimitReadThroughTheWorkBuffer) {
    struct Row {
        int width, height, depth;
        DWORD work;
        int expectedWidth, expectedHeight;
    };
    for (const Row& r : {Row{4096, 1536, 24, 4096, 2048, 768}, Row{640, 480, 24, 1000, 640, 480},
                         Row{8, 8, 16, 4096, 8, 8}}) {
        SCOPED_TRACE(r.width);
        Stream stream{Jpeg(r.width, r.height)};
        HBITMAP bitmap = nullptr;
        ASSERT_GE(Decompress(stream, r.depth, &bitmap, r.work), 0);
        EXPECT_EQ(stream.position, stream.bytes.size());
        EXPECT_TRUE(std::all_of(stream.asked.begin(), stream.asked.end(),
                                [&](DWORD n) { return n > 0 && n <= r.work; }));
        BITMAP bm;
        GetObjectW(bitmap, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, r.expectedWidth);
        EXPECT_EQ(bm.bmHeight, r.expectedHeight);
        // Other depths give a bitmap compatible with the display, without addressable bits.
        EXPECT_EQ(bm.bmBits != nullptr, r.depth == 24);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        const COLORREF c = GetPixel(dc, r.expectedWidth / 2, r.expectedHeight / 2);
        EXPECT_NEAR(GetRValue(c), 40, 6);
        EXPECT_NEAR(GetBValue(c), 200, 6);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
}

TEST(ImgDecmp, FailureIsNegativeAndMakesNoBitmap) {
    const int live = platform::LiveGdiObjectCount();
    for (QByteArray bad : {QByteArray(), QByteArray(9000, 'x'), Jpeg(100, 100).left(300)}) {
        Stream stream{bad};
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
        EXPECT_LT(Decompress(stream, 24, &bitmap), 0);
        EXPECT_EQ(bitmap, nullptr);
    }
    EXPECT_EQ(platform::LiveGdiObjectCount(), live);
    DecompressImageInfo empty;
    EXPECT_LT(DecompressImageIndirect(&empty), 0);
    EXPECT_LT(DecompressImageIndirect(nullptr), 0);
}

} // namespace
