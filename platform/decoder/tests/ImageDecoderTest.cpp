#include "decoder/ImageDecoder.h"

#include <QBuffer>
#include <QFile>
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
constexpr int kMaxWidth = 2048;
constexpr int kMaxHeight = 768;

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

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
    QFile file(QString::fromStdString(path.string()));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return file.readAll();
}

// Red top left, green top right, blue bottom left, white bottom right.
QImage Quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    const int w = width / 2;
    const int h = height / 2;
    QPainter painter(&image);
    painter.fillRect(0, 0, w, h, kRed);
    painter.fillRect(w, 0, width - w, h, kGreen);
    painter.fillRect(0, h, w, height - h, kBlue);
    painter.fillRect(w, h, width - w, height - h, kWhite);
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

// Hands the bytes out in pieces of at most `step`, noting every request.
struct Source {
    explicit Source(QByteArray data, std::size_t step = SIZE_MAX)
        : bytes(std::move(data)), step(step) {}

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
    std::size_t step;
    std::size_t position = 0;
    std::vector<std::size_t> requests;
    std::vector<std::size_t> answers;
};

QImage Decode(const QByteArray& bytes, int maxWidth = kMaxWidth, int maxHeight = kMaxHeight) {
    Source source(bytes);
    return DecodeImage(std::ref(source), maxWidth, maxHeight);
}

::testing::AssertionResult HasColour(const QImage& image, int x, int y, const QColor& expected,
                                     int tolerance) {
    const QColor actual = image.pixelColor(x, y);
    const int diff = std::max({std::abs(actual.red() - expected.red()),
                               std::abs(actual.green() - expected.green()),
                               std::abs(actual.blue() - expected.blue())});
    if (diff <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is " << actual.name().toStdString() << ", expected "
           << expected.name().toStdString();
}

// Checks the middle of each quadrant of a picture made by Quadrants.
void ExpectQuadrants(const QImage& image, int tolerance) {
    ASSERT_FALSE(image.isNull());
    const int w = image.width();
    const int h = image.height();
    EXPECT_TRUE(HasColour(image, w / 4, h / 4, kRed, tolerance));
    EXPECT_TRUE(HasColour(image, w * 3 / 4, h / 4, kGreen, tolerance));
    EXPECT_TRUE(HasColour(image, w / 4, h * 3 / 4, kBlue, tolerance));
    EXPECT_TRUE(HasColour(image, w * 3 / 4, h * 3 / 4, kWhite, tolerance));
}

bool SamePixels(const QImage& a, const QImage& b) {
    return a.convertToFormat(QImage::Format_RGB888) == b.convertToFormat(QImage::Format_RGB888);
}

// --- Reading the stream ---

TEST(ImageDecoderStream, AsksForAtMostOnePieceAndReadsToTheEnd) {
    const QByteArray jpeg = Encode(Noise(160, 120), "JPEG");
    ASSERT_GT(jpeg.size(), 3 * static_cast<qsizetype>(kImageReadPiece));
    Source source(jpeg);
    const QImage image = DecodeImage(std::ref(source), kMaxWidth, kMaxHeight);
    EXPECT_EQ(image.size(), QSize(160, 120));
    EXPECT_EQ(source.position, static_cast<std::size_t>(jpeg.size()));
    ASSERT_FALSE(source.requests.empty());
    for (std::size_t wanted : source.requests) {
        EXPECT_GT(wanted, 0u);
        EXPECT_LE(wanted, 4096u);
    }
    EXPECT_EQ(source.answers.back(), 0u);
    EXPECT_EQ(std::count(source.answers.begin(), source.answers.end(), 0u), 1);
}

TEST(ImageDecoderStream, ShortReadsDoNotEndTheStream) {
    const QByteArray jpeg = Encode(Noise(100, 80), "JPEG");
    Source whole(jpeg);
    Source byByte(jpeg, 1);
    Source oddPieces(jpeg, 1000);
    const QImage expected = DecodeImage(std::ref(whole), kMaxWidth, kMaxHeight);
    ASSERT_FALSE(expected.isNull());
    EXPECT_EQ(DecodeImage(std::ref(byByte), kMaxWidth, kMaxHeight), expected);
    EXPECT_EQ(byByte.requests.size(), static_cast<std::size_t>(jpeg.size()) + 1);
    EXPECT_EQ(DecodeImage(std::ref(oddPieces), kMaxWidth, kMaxHeight), expected);
}

TEST(ImageDecoderStream, ClaimsBeyondTheRequestGetNoCredit) {
    const QImage original = Quadrants(64, 64);
    const QByteArray bmp = Encode(original, "BMP");
    ASSERT_GT(bmp.size(), 2 * static_cast<qsizetype>(kImageReadPiece));
    Source source(bmp);
    // Each piece is delivered in full but reported as twice its length.
    auto boasting = [&source](BYTE* buffer, std::size_t wanted) {
        return 2 * source(buffer, wanted);
    };
    const QImage image = DecodeImage(boasting, kMaxWidth, kMaxHeight);
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(SamePixels(image, original));
}

TEST(ImageDecoderStream, EndlessStreamIsCutOff) {
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
    EXPECT_TRUE(DecodeImage(endless, kMaxWidth, kMaxHeight).isNull());
    EXPECT_EQ(calls, enough);
}

// --- Nothing to decode ---

TEST(ImageDecoderFailure, EmptyStreamIsNull) {
    int calls = 0;
    auto empty = [&calls](BYTE*, std::size_t) -> std::size_t {
        ++calls;
        return 0;
    };
    EXPECT_TRUE(DecodeImage(empty, kMaxWidth, kMaxHeight).isNull());
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(DecodeImage(nullptr, kMaxWidth, kMaxHeight).isNull());
}

TEST(ImageDecoderFailure, NoRoomIsNull) {
    const QByteArray bmp = Encode(Quadrants(8, 8), "BMP");
    EXPECT_TRUE(Decode(bmp, 0, 768).isNull());
    EXPECT_TRUE(Decode(bmp, 2048, -1).isNull());
    EXPECT_FALSE(Decode(bmp, 1, 1).isNull());
}

TEST(ImageDecoderFailure, GarbageIsNull) {
    QByteArray garbage(10000, '\0');
    std::mt19937 random(3);
    for (char& c : garbage)
        c = static_cast<char>(random());
    EXPECT_TRUE(Decode(garbage).isNull());
    EXPECT_TRUE(Decode(QByteArray("GIF89a", 6)).isNull());
    EXPECT_TRUE(Decode(QByteArray("BM", 2)).isNull());
}

// --- Formats and colours ---

TEST(ImageDecoderFormats, JpegKeepsSizeAndRoughColours) {
    const QImage image = Decode(Encode(Quadrants(64, 48), "JPEG"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(64, 48));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    ExpectQuadrants(image, 40);
}

TEST(ImageDecoderFormats, ProgressiveJpegDecodes) {
    const QImage image = Decode(Encode(Quadrants(64, 48), "JPEG", true));
    EXPECT_EQ(image.size(), QSize(64, 48));
    ExpectQuadrants(image, 40);
}

TEST(ImageDecoderFormats, BmpIsExact) {
    const QImage original = Quadrants(30, 20);
    const QImage image = Decode(Encode(original, "BMP"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_TRUE(SamePixels(image, original));
}

TEST(ImageDecoderFormats, GifColoursAreExact) {
    const QImage image = Decode(ReadData(kData / "images" / "four-colours.gif"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(8, 8));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_TRUE(SamePixels(image, Quadrants(8, 8)));
}

TEST(ImageDecoderFormats, AnimatedGifGivesItsFirstFrame) {
    const QImage image = Decode(ReadData(kData / "images" / "two-frames.gif"));
    ASSERT_EQ(image.size(), QSize(4, 4));
    EXPECT_TRUE(HasColour(image, 0, 0, kRed, 0));
    EXPECT_TRUE(HasColour(image, 3, 3, kRed, 0));
}

TEST(ImageDecoderFormats, TransparencyIsFlattenedOverBlack) {
    const QImage gif = Decode(ReadData(kData / "images" / "transparent-half.gif"));
    ASSERT_EQ(gif.size(), QSize(4, 4));
    EXPECT_EQ(gif.format(), QImage::Format_RGB888);
    EXPECT_TRUE(HasColour(gif, 0, 2, kRed, 0));
    EXPECT_TRUE(HasColour(gif, 3, 2, kBlack, 0));

    QImage halfRed(6, 6, QImage::Format_ARGB32);
    halfRed.fill(qRgba(255, 0, 0, 128));
    halfRed.setPixel(0, 0, qRgba(0, 0, 255, 255));
    halfRed.setPixel(1, 0, qRgba(255, 255, 255, 0));
    const QImage png = Decode(Encode(halfRed, "PNG"));
    ASSERT_EQ(png.size(), QSize(6, 6));
    EXPECT_EQ(png.format(), QImage::Format_RGB888);
    EXPECT_TRUE(HasColour(png, 3, 3, QColor(128, 0, 0), 1));
    EXPECT_TRUE(HasColour(png, 0, 0, kBlue, 0));
    EXPECT_TRUE(HasColour(png, 1, 0, kBlack, 0));
}

// --- Reduction to the limit ---

struct Reduction {
    QSize source;
    QSize expected;
};

// The bound side takes the limit; the other side is rounded down, but kept at 1 pixel at least.
const Reduction kReductions[] = {
    {{4096, 1536}, {2048, 768}}, // exactly half
    {{3000, 500}, {2048, 341}},  // 500 * 2048 / 3000 = 341.3
    {{500, 3000}, {128, 768}},   // 500 * 768 / 3000 = 128
    {{2049, 768}, {2048, 767}},  // 768 * 2048 / 2049 = 767.6
    {{20000, 2}, {2048, 1}},     // 2 * 2048 / 20000 = 0.2
    {{2048, 768}, {2048, 768}},  {{1000, 700}, {1000, 700}},
};

TEST(ImageDecoderScaling, LargeJpegIsReducedToFit) {
    for (const Reduction& r : kReductions) {
        SCOPED_TRACE(std::to_string(r.source.width()) + "x" + std::to_string(r.source.height()));
        const QImage image = Decode(Encode(Quadrants(r.source.width(), r.source.height()), "JPEG"));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), r.expected);
        EXPECT_EQ(image.format(), QImage::Format_RGB888);
        if (r.expected.height() >= 8)
            ExpectQuadrants(image, 48);
    }
}

TEST(ImageDecoderScaling, JpegTooLargeForMemoryIsReducedWhileDecoding) {
    // 128 MB at full size, beyond what any handler may allocate for one picture.
    const QImage image = Decode(Encode(Quadrants(8192, 4096), "JPEG"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(1536, 768)); // 8192 * 768 / 4096
    ExpectQuadrants(image, 48);
}

TEST(ImageDecoderScaling, BmpWithinTheMemoryBudgetIsReducedAfterDecoding) {
    const QImage image = Decode(Encode(Quadrants(3000, 1000), "BMP"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(2048, 682)); // 1000 * 2048 / 3000 = 682.7
    ExpectQuadrants(image, 2);
}

TEST(ImageDecoderScaling, SmallLimitsApplyToEveryFormat) {
    const QByteArray gif = ReadData(kData / "images" / "four-colours.gif");
    const QImage square = Decode(gif, 4, 4);
    EXPECT_EQ(square.size(), QSize(4, 4));
    ExpectQuadrants(square, 0);
    EXPECT_EQ(Decode(gif, 6, 2).size(), QSize(2, 2));
    EXPECT_EQ(Decode(Encode(Quadrants(30, 20), "PNG"), 15, 100).size(), QSize(15, 10));
}

TEST(ImageDecoderScaling, OversizedHeadersAreRefusedBeforeDecoding) {
    // Decoding these at full size would take 100 MB, 14 GB and 16 GB; their handlers cannot
    // reduce while decoding (and most of their data is missing).
    for (const char* name :
         {"image-claims-5000x5000.bmp", "image-claims-60000x60000.bmp", "image-huge-screen.gif"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(Decode(ReadData(kData / "malformed" / name)).isNull());
    }
    // PNG accepts a scaled size but decodes the full picture first.
    EXPECT_TRUE(Decode(Encode(Quadrants(5000, 5000), "PNG")).isNull());
    // A progressive JPEG holds coefficients for its whole picture while decoding.
    EXPECT_TRUE(Decode(ReadData(kData / "malformed" / "image-huge-progressive.jpg")).isNull());
}

// --- Damaged data ---

TEST(ImageDecoderMalformed, EveryDamagedFileFailsOrFitsTheLimit) {
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kData / "malformed")) {
        if (entry.path().filename().string().rfind("image-", 0) != 0)
            continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        const QByteArray bytes = ReadData(entry.path());
        Source byByte(bytes, 1);
        const QImage image = DecodeImage(std::ref(byByte), kMaxWidth, kMaxHeight);
        if (!image.isNull()) {
            EXPECT_EQ(image.format(), QImage::Format_RGB888);
            EXPECT_LE(image.width(), kMaxWidth);
            EXPECT_LE(image.height(), kMaxHeight);
        }
    }
    EXPECT_GE(files, 12);
    for (const char* name : {"image-truncated-header.bmp", "image-garbage.jpg",
                             "image-zero-width.jpg", "image-negative-width.bmp"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(Decode(ReadData(kData / "malformed" / name)).isNull());
    }
}

TEST(ImageDecoderMalformed, CutAnywhereNeverBreaks) {
    const QByteArray jpeg = Encode(Noise(64, 48), "JPEG");
    const QByteArray gif = ReadData(kData / "images" / "four-colours.gif");
    const QByteArray bmp = Encode(Quadrants(16, 8), "BMP");
    for (const QByteArray& whole : {jpeg, gif, bmp}) {
        const qsizetype step = std::max<qsizetype>(1, whole.size() / 60);
        for (qsizetype cut = 0; cut < whole.size(); cut += step) {
            const QImage image = Decode(whole.left(cut));
            if (!image.isNull()) {
                EXPECT_EQ(image.format(), QImage::Format_RGB888);
                EXPECT_LE(image.width(), kMaxWidth);
                EXPECT_LE(image.height(), kMaxHeight);
            }
        }
    }
}

} // namespace
