// Checks the artwork as the launcher uses it: sizes, bit depth, the pure red key colour and
// enough contrast for black labels. BMP headers are checked by hand, so that one a forgiving
// decoder would accept still fails here; the pixels are read through Qt.

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSkin = TOVALO_SKIN_SOURCE_DIR, kBuilt = TOVALO_SKIN_BUILD_DIR,
               kRes = TOVALO_RES_DIR;
constexpr QRgb kKey = qRgb(255, 0, 0);

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::string& b, std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(b.at(at + i));
    return v;
}

// An uncompressed bottom-up 24-bit BMP of the given size, with a 40-byte info header.
QImage Bmp24(const fs::path& path, int width, int height) {
    const std::string b = Read(path);
    EXPECT_GE(b.size(), 54u) << path;
    if (b.size() < 54)
        return {};
    EXPECT_EQ(b.substr(0, 2), "BM") << path;
    EXPECT_EQ(Le(b, 2, 4), b.size()) << path << ": stated file size";
    EXPECT_EQ(Le(b, 14, 4), 40u) << path << ": info header";
    EXPECT_EQ(std::tuple(Le(b, 18, 4), Le(b, 22, 4), Le(b, 26, 2), Le(b, 28, 2), Le(b, 30, 4)),
              std::tuple(width, height, 1, 24, 0))
        << path << ": width, height, planes, bits, compression";
    EXPECT_LE(Le(b, 10, 4) + ((width * 3 + 3) & ~3) * height, b.size()) << path << ": pixels";
    return QImage(QString::fromStdString(path.string()));
}

// Reddish pixels that are not the key would survive the transparent copy as a red fringe.
int NearKey(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            n += c != kKey && qRed(c) >= 200 && qGreen(c) <= 60 && qBlue(c) <= 60;
        }
    return n;
}

TEST(Artwork, ArrowsAreKeyedAtTheCornersSolidInTheMiddleAndPointTheirWay) {
    for (const char* name : {"ArrowUp.BMP", "ArrowDown.BMP"}) {
        const QImage arrow = Bmp24(kSkin / name, 15, 15);
        ASSERT_FALSE(arrow.isNull()) << name;
        for (auto [x, y] : {std::pair(0, 0), {14, 0}, {0, 14}, {14, 14}})
            EXPECT_EQ(arrow.pixel(x, y), kKey) << name << " corner " << x << "," << y;
        for (int i = 0; i < 25; ++i)
            EXPECT_NE(arrow.pixel(5 + i % 5, 5 + i / 5), kKey) << name << " middle " << i;
        EXPECT_EQ(NearKey(arrow), 0) << name;
        // The bright glyph inside the rim: its tip is its narrowest row.
        std::vector<int> widths;
        for (int y = 3; y < 12; ++y) {
            int width = 0;
            for (int x = 3; x < 12; ++x)
                width += qGray(arrow.pixel(x, y)) > 235;
            if (width)
                widths.push_back(width);
        }
        ASSERT_FALSE(widths.empty()) << name << " has no glyph";
        EXPECT_EQ(widths.front() < widths.back(), name[5] == 'U')
            << name << " points the wrong way";
    }
}

TEST(Artwork, LogoIsA76By21GifWithTheTextInsideAKeyedBorder) {
    const std::string bytes = Read(kSkin / "NORVI_LOGO.GIF");
    ASSERT_GE(bytes.size(), 13u);
    EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
    EXPECT_EQ(std::pair(Le(bytes, 6, 2), Le(bytes, 8, 2)), std::pair(76u, 21u));
    EXPECT_EQ(bytes.back(), 0x3B) << "no trailer";
    const QImage logo(QString::fromStdString((kSkin / "NORVI_LOGO.GIF").string()));
    ASSERT_EQ(logo.size(), QSize(76, 21));
    int text = 0;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 76; ++x) {
            if (x == 0 || y == 0 || x == 75 || y == 20) {
                EXPECT_EQ(logo.pixel(x, y), kKey) << "edge at " << x << "," << y;
            }
            text += logo.pixel(x, y) != kKey;
        }
    EXPECT_GT(text, 300) << "too little lettering";
    EXPECT_EQ(NearKey(logo), 0);
}

TEST(Artwork, DefaultSkinIs240By294WithoutTheKeyAndReadsUnderBlackLabels) {
    // Built in as an 8-bit RGB PNG: the same pixels as a 24-bit bitmap in a tenth of the
    // program's memory.
    const std::string png = Read(kRes / "DefaultSkin.png");
    ASSERT_GE(png.size(), 26u);
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(std::tuple(png[24], png[25]), std::tuple('\x08', '\x02')) << "bit depth, colour type";
    const QImage skin(QString::fromStdString((kRes / "DefaultSkin.png").string()));
    ASSERT_EQ(skin.size(), QSize(240, 294));
    EXPECT_FALSE(skin.hasAlphaChannel());
    double luma = 0, darkest = 1;
    auto linear = [](int v) {
        return v <= 10 ? v / 255.0 / 12.92 : std::pow((v / 255.0 + 0.055) / 1.055, 2.4);
    };
    for (int y = 0; y < 294; ++y)
        for (int x = 0; x < 240; ++x) {
            const QRgb c = skin.pixel(x, y);
            EXPECT_NE(c, kKey) << x << "," << y;
            luma += 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
            darkest = std::min(darkest, 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) +
                                            0.0722 * linear(qBlue(c)));
        }
    EXPECT_GE(luma / (240 * 294), 200.0) << "mean luma";
    EXPECT_GE((darkest + 0.05) / 0.05, 7.0) << "contrast with black text at the darkest pixel";
}

TEST(Artwork, TheBuildCopiesTheSkinFolderAndTheTrayIconsAreTransparentSquares) {
    // The sources themselves are checked above, so an empty one cannot pass as its copy.
    for (const char* name : {"ArrowUp.BMP", "ArrowDown.BMP", "NORVI_LOGO.GIF"})
        EXPECT_EQ(Read(kBuilt / name), Read(kSkin / name)) << name;
    for (auto [name, size] : {std::pair("Tovalo.png", 32), {"Tovalo16.png", 16}}) {
        const QImage icon(QString::fromStdString((kRes / name).string()));
        ASSERT_EQ(icon.size(), QSize(size, size)) << name;
        EXPECT_EQ(std::tuple(qAlpha(icon.pixel(0, 0)), qAlpha(icon.pixel(size - 1, size - 1)),
                             qAlpha(icon.pixel(size / 2, size / 2))),
                  std::tuple(0, 0, 255))
            << name;
    }
}

} // namespace
