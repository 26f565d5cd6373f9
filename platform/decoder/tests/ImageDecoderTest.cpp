#include <platform/Gdi.h>
#include <platform/ImgDecmp.h>

#include "decoder/ImageDecoder.h"

#include <testsupport/DeviceFolder.h>

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using platform::detail::DecodeImage;
using platform::detail::kImageReadPiece;
using platform::detail::kMaxImageStreamBytes;

namespace {

const fs::path kData = TOVALO_PLATFORM_TEST_DATA;

QByteArray Encode(const QImage& image, const char* format, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << format << " " << image.width() << "x" << image.height();
    return bytes;
}

QByteArray ReadData(const fs::path& path) {
    return QByteArray::fromStdString(testsupport::ReadFile(path));
}

// Red top left, green top right, blue bottom left, white bottom right.
const QColor kQuadrants[4] = {Qt::red, Qt::green, Qt::blue, Qt::white};

QImage Quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int i = 0; i < 4; ++i) {
        const int x = i % 2 ? width / 2 : 0, y = i / 2 ? height / 2 : 0;
        painter.fillRect(x, y, i % 2 ? width - x : width / 2, i / 2 ? height - y : height / 2,
                         kQuadrants[i]);
    }
    return image;
}

// Noise makes the data long enough to need many reads.
QImage Noise(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random() & 0xFFFFFF);
    return image;
}

// Hands the bytes out in pieces of at most `step`, noting every request and answer.
struct Source {
    std::size_t operator()(BYTE* buffer, std::size_t wanted) {
        requests.push_back(wanted);
        const std::size_t left = static_cast<std::size_t>(bytes.size()) - position;
        const std::size_t n = std::min({wanted, step, left});
        std::memcpy(buffer, bytes.constData() + position, n);
        position += n;
        answers.push_back(n);
        return n;
    }

    QByteArray bytes;
    std::size_t step = SIZE_MAX;
    std::size_t position = 0;
    std::vector<std::size_t> requests = {};
    std::vector<std::size_t> answers = {};
};

QImage Decode(const QByteArray& bytes, int maxWidth = 2048, int maxHeight = 768) {
    Source source{bytes};
    return DecodeImage(std::ref(source), maxWidth, maxHeight);
}

// The largest difference of a channel between the middle of each quadrant and its colour.
int QuadrantError(const QImage& image) {
    int worst = 0;
    for (int i = 0; i < 4; ++i) {
        const QColor c = image.pixelColor(image.width() * (1 + 2 * (i % 2)) / 4,
                                          image.height() * (1 + 2 * (i / 2)) / 4);
        worst = std::max({worst, std::abs(c.red() - kQuadrants[i].red()),
                          std::abs(c.green() - kQuadrants[i].green()),
                          std::abs(c.blue() - kQuadrants[i].blue())});
    }
    return worst;
}

TEST(ImageDecoder, ReadsInPiecesOfAtMost4096UntilTheSourceGivesNothing) {
    const QByteArray jpeg = Encode(Noise(160, 120), "JPEG");
    ASSERT_GT(jpeg.size(), 3 * static_cast<qsizetype>(kImageReadPiece));
    const QImage whole = Decode(jpeg);
    ASSERT_EQ(whole.size(), QSize(160, 120));
    for (std::size_t step : {SIZE_MAX, std::size_t{1}, std::size_t{1000}}) {
        Source source{jpeg, step};
        EXPECT_EQ(DecodeImage(std::ref(source), 2048, 768), whole) << step;
        EXPECT_EQ(source.position, static_cast<std::size_t>(jpeg.size())) << step;
        for (std::size_t wanted : source.requests)
            EXPECT_TRUE(wanted > 0 && wanted <= 4096) << wanted;
        EXPECT_EQ(std::count(source.answers.begin(), source.answers.end(), 0u), 1) << step;
        EXPECT_EQ(source.answers.back(), 0u) << step;
    }
    // A source that reports twice what it gave gets no credit beyond the request.
    const QImage original = Quadrants(64, 64);
    Source boasting{Encode(original, "BMP")};
    const QImage image = DecodeImage(
        [&boasting](BYTE* buffer, std::size_t wanted) { return 2 * boasting(buffer, wanted); },
        2048, 768);
    EXPECT_EQ(image, original.convertToFormat(QImage::Format_RGB888));
}

TEST(ImageDecoder, EndlessOrEmptyStreamsGiveNothing) {
    const QByteArray header = Encode(Quadrants(8, 8), "BMP").left(54);
    const std::size_t enough = kMaxImageStreamBytes / kImageReadPiece + 1;
    std::size_t calls = 0;
    auto endless = [&](BYTE* buffer, std::size_t wanted) -> std::size_t {
        // Gives up well past the cap only so that a decoder without one fails instead of hanging.
        if (++calls > 2 * enough)
            return 0;
        std::memset(buffer, 0x7F, wanted);
        if (calls == 1)
            std::memcpy(buffer, header.constData(), std::min<std::size_t>(wanted, 54));
        return wanted;
    };
    EXPECT_TRUE(DecodeImage(endless, 2048, 768).isNull());
    EXPECT_EQ(calls, enough);
    EXPECT_TRUE(Decode(QByteArray()).isNull());
    EXPECT_TRUE(DecodeImage(nullptr, 2048, 768).isNull());
}

constexpr int kExact = -1; // the picture equals Quadrants of its size
constexpr int kAny = 999;

struct Case {
    const char* name;
    std::function<QByteArray()> bytes;
    QSize limit;
    QSize expected; // empty: no picture
    int tolerance;  // of QuadrantError
};

auto Made(const char* format, int w, int h, bool progressive = false) {
    return [=] { return Encode(Quadrants(w, h), format, progressive); };
}
auto File(const char* name) {
    return [=] { return ReadData(kData / name); };
}

QByteArray Garbage() {
    QByteArray garbage(10000, '\0');
    std::mt19937 random(3);
    for (char& c : garbage)
        c = static_cast<char>(random());
    return garbage;
}

const QSize kLimit(2048, 768);
const Case kCases[] = {
    {"jpeg", Made("JPEG", 64, 48), kLimit, {64, 48}, 40},
    {"progressive jpeg", Made("JPEG", 64, 48, true), kLimit, {64, 48}, 40},
    {"bmp", Made("BMP", 30, 20), kLimit, {30, 20}, kExact},
    {"gif", File("images/four-colours.gif"), kLimit, {8, 8}, kExact},
    // Too large: the bound side takes the limit, the other is rounded down to 1 at least.
    {"jpeg at half", Made("JPEG", 4096, 1536), kLimit, {2048, 768}, 48},
    {"jpeg 3000x500", Made("JPEG", 3000, 500), kLimit, {2048, 341}, 48},
    {"jpeg 500x3000", Made("JPEG", 500, 3000), kLimit, {128, 768}, 48},
    {"jpeg 2049x768", Made("JPEG", 2049, 768), kLimit, {2048, 767}, 48},
    {"jpeg 20000x2", Made("JPEG", 20000, 2), kLimit, {2048, 1}, kAny},
    // 128 MB at full size: reduced while decoding.
    {"jpeg 8192x4096", Made("JPEG", 8192, 4096), kLimit, {1536, 768}, 48},
    // Within the memory budget: reduced after decoding.
    {"bmp 3000x1000", Made("BMP", 3000, 1000), kLimit, {2048, 682}, 2},
    {"gif to 4x4", File("images/four-colours.gif"), {4, 4}, {4, 4}, 0},
    {"gif to 6x2", File("images/four-colours.gif"), {6, 2}, {2, 2}, kAny},
    {"png to 15x100", Made("PNG", 30, 20), {15, 100}, {15, 10}, 0},
    {"limit 1x1", Made("BMP", 8, 8), {1, 1}, {1, 1}, kAny},
    {"no room", Made("BMP", 8, 8), {0, 768}, {}, 0},
    {"garbage", Garbage, kLimit, {}, 0},
    // Full size would take 100 MB, 14 GB, 16 GB and 100 MB; these cannot reduce while decoding.
    {"bmp 5000x5000", File("malformed/image-claims-5000x5000.bmp"), kLimit, {}, 0},
    {"bmp 60000x60000", File("malformed/image-claims-60000x60000.bmp"), kLimit, {}, 0},
    {"gif screen", File("malformed/image-huge-screen.gif"), kLimit, {}, 0},
    {"png 5000x5000", Made("PNG", 5000, 5000), kLimit, {}, 0},
    // A progressive JPEG holds coefficients for its whole picture while decoding.
    {"huge progressive", File("malformed/image-huge-progressive.jpg"), kLimit, {}, 0},
    {"truncated bmp header", File("malformed/image-truncated-header.bmp"), kLimit, {}, 0},
    {"jpeg garbage", File("malformed/image-garbage.jpg"), kLimit, {}, 0},
    {"jpeg width 0", File("malformed/image-zero-width.jpg"), kLimit, {}, 0},
    {"bmp width -8", File("malformed/image-negative-width.bmp"), kLimit, {}, 0},
};

TEST(ImageDecoder, DecodesToRgbWithinTheLimit) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const QImage image = Decode(c.bytes(), c.limit.width(), c.limit.height());
        ASSERT_EQ(image.isNull() ? QSize() : image.size(), c.expected);
        if (image.isNull())
            continue;
        EXPECT_EQ(image.format(), QImage::Format_RGB888);
        if (c.tolerance == kExact) {
            EXPECT_EQ(image, Quadrants(c.expected.width(), c.expected.height())
                                 .convertToFormat(QImage::Format_RGB888));
        } else if (c.tolerance != kAny) {
            EXPECT_LE(QuadrantError(image), c.tolerance);
        }
    }
}

TEST(ImageDecoder, AnimationGivesItsFirstFrameAndTransparencyLiesOverBlack) {
    const QImage two = Decode(ReadData(kData / "images" / "two-frames.gif"));
    ASSERT_EQ(two.size(), QSize(4, 4));
    EXPECT_EQ(two.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(two.pixelColor(3, 3), QColor(Qt::red));

    const QImage gif = Decode(ReadData(kData / "images" / "transparent-half.gif"));
    ASSERT_EQ(gif.size(), QSize(4, 4));
    EXPECT_EQ(gif.pixelColor(0, 2), QColor(Qt::red));
    EXPECT_EQ(gif.pixelColor(3, 2), QColor(Qt::black));

    QImage halfRed(6, 6, QImage::Format_ARGB32);
    halfRed.fill(qRgba(255, 0, 0, 128));
    halfRed.setPixel(0, 0, qRgba(0, 0, 255, 255));
    halfRed.setPixel(1, 0, qRgba(255, 255, 255, 0));
    const QImage png = Decode(Encode(halfRed, "PNG"));
    ASSERT_EQ(png.format(), QImage::Format_RGB888);
    EXPECT_NEAR(png.pixelColor(3, 3).red(), 128, 1);
    EXPECT_EQ(png.pixelColor(3, 3).green(), 0);
    EXPECT_EQ(png.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(png.pixelColor(1, 0), QColor(Qt::black));
}

// The device's decoding call, over the same decoder: the caller's function fills the caller's
// work buffer.
DWORD Read(LPSTR buffer, DWORD wanted, LPARAM lParam) {
    auto& source = *reinterpret_cast<Source*>(lParam);
    return static_cast<DWORD>(source(reinterpret_cast<BYTE*>(buffer), wanted));
}

HRESULT Decompress(Source& stream, int depth, HBITMAP* bitmap, DWORD workBytes = 4096) {
    std::vector<BYTE> work(workBytes);
    DecompressImageInfo info{.dwSize = sizeof(DecompressImageInfo),
                             .pbBuffer = work.data(),
                             .dwBufferMax = workBytes,
                             .phBM = bitmap,
                             .iBitDepth = depth,
                             .lParam = reinterpret_cast<LPARAM>(&stream),
                             .iMaxWidth = 2048,
                             .iMaxHeight = 768,
                             .pfnGetData = &Read};
    return DecompressImageIndirect(&info);
}

QByteArray Jpeg(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    return Encode(image, "JPEG");
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
        Source stream{Jpeg(r.width, r.height)};
        HBITMAP bitmap = nullptr;
        ASSERT_GE(Decompress(stream, r.depth, &bitmap, r.work), 0);
        EXPECT_EQ(stream.position, static_cast<std::size_t>(stream.bytes.size()));
        EXPECT_TRUE(std::all_of(stream.requests.begin(), stream.requests.end(),
                                [&](std::size_t n) { return n > 0 && n <= r.work; }));
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
        Source stream{bad};
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
