// Checks the artwork files as the launcher uses them: sizes, bit depth, the pure red key colour
// and enough contrast for black labels. The BMP headers are read by hand, so a header that a
// forgiving decoder would accept still fails here; the GIF goes through Qt's decoder, which is
// what loads it at run time.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb kKey{255, 0, 0};

struct Picture {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<Rgb> pixels; // top row first

    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) {
        v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    }
    return v;
}

// An uncompressed 24-bit BMP with a 40-byte info header and bottom-up rows; anything else is a
// failure with the reason.
::testing::AssertionResult ParseBmp24(const fs::path& path, Picture& out) {
    const auto b = ReadBytes(path);
    if (b.size() < 54) {
        return ::testing::AssertionFailure() << path << ": only " << b.size() << " bytes";
    }
    if (b[0] != 'B' || b[1] != 'M') {
        return ::testing::AssertionFailure() << path << ": no BM signature";
    }
    if (Le(b, 2, 4) != b.size()) {
        return ::testing::AssertionFailure()
               << path << ": header says " << Le(b, 2, 4) << " bytes, file has " << b.size();
    }
    const auto offset = Le(b, 10, 4);
    const auto infoSize = Le(b, 14, 4);
    const auto width = static_cast<std::int32_t>(Le(b, 18, 4));
    const auto height = static_cast<std::int32_t>(Le(b, 22, 4));
    const auto planes = Le(b, 26, 2);
    const auto bits = Le(b, 28, 2);
    const auto compression = Le(b, 30, 4);
    if (infoSize != 40 || planes != 1 || compression != 0) {
        return ::testing::AssertionFailure() << path << ": info header " << infoSize << ", planes "
                                             << planes << ", compression " << compression;
    }
    if (width <= 0 || height <= 0) {
        return ::testing::AssertionFailure()
               << path << ": size " << width << " x " << height << " (rows must run bottom-up)";
    }
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    if (bits != 24 || offset < 54 ||
        offset + stride * static_cast<std::size_t>(height) > b.size()) {
        return ::testing::AssertionFailure()
               << path << ": " << bits << " bits per pixel, pixels at " << offset;
    }
    out.width = width;
    out.height = height;
    out.bitsPerPixel = static_cast<int>(bits);
    out.pixels.clear();
    for (int y = 0; y < height; ++y) {
        const std::size_t row = offset + stride * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const std::size_t p = row + 3 * static_cast<std::size_t>(x);
            out.pixels.push_back({b[p + 2], b[p + 1], b[p]});
        }
    }
    return ::testing::AssertionSuccess();
}

Picture FromQImage(const QImage& image) {
    Picture out;
    out.width = image.width();
    out.height = image.height();
    out.bitsPerPixel = image.depth();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            out.pixels.push_back({static_cast<std::uint8_t>(qRed(p)),
                                  static_cast<std::uint8_t>(qGreen(p)),
                                  static_cast<std::uint8_t>(qBlue(p))});
        }
    }
    return out;
}

QImage LoadWithQt(const fs::path& path) {
    return QImage(QString::fromStdString(path.string()));
}

double Luma(Rgb c) {
    return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

// Relative luminance of an sRGB colour, for contrast ratios.
double Luminance(Rgb c) {
    auto linear = [](std::uint8_t v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

int CountKey(const Picture& p) {
    int n = 0;
    for (const Rgb c : p.pixels) {
        n += c == kKey;
    }
    return n;
}

// Reddish pixels that are not the key would survive the transparent copy as a red fringe.
int CountNearKey(const Picture& p) {
    int n = 0;
    for (const Rgb c : p.pixels) {
        n += c != kKey && c.r >= 200 && c.g <= 60 && c.b <= 60;
    }
    return n;
}

void ExpectKeyedCorners(const Picture& p, const std::string& what) {
    const std::array<std::pair<int, int>, 4> corners{
        {{0, 0}, {p.width - 1, 0}, {0, p.height - 1}, {p.width - 1, p.height - 1}}};
    for (const auto& [x, y] : corners) {
        EXPECT_EQ(p.At(x, y), kKey) << what << " corner (" << x << ", " << y << ")";
    }
}

// Rows of the arrow's bright glyph: the first and last row holding any, with their widths.
struct GlyphSpan {
    int firstRow = -1, firstWidth = 0, lastRow = -1, lastWidth = 0;
};

GlyphSpan BrightGlyph(const Picture& p) {
    GlyphSpan span;
    // The middle of the button, clear of the rim and its highlight.
    for (int y = 3; y < p.height - 3; ++y) {
        int width = 0;
        for (int x = 3; x < p.width - 3; ++x) {
            width += Luma(p.At(x, y)) > 235.0;
        }
        if (width == 0) {
            continue;
        }
        if (span.firstRow < 0) {
            span.firstRow = y;
            span.firstWidth = width;
        }
        span.lastRow = y;
        span.lastWidth = width;
    }
    return span;
}

const fs::path kSkinSource = TOVALO_SKIN_SOURCE_DIR;
const fs::path kSkinBuild = TOVALO_SKIN_BUILD_DIR;
const fs::path kRes = TOVALO_RES_DIR;
const std::array<const char*, 3> kSkinFiles{"ArrowUp.BMP", "ArrowDown.BMP", "NORVI_LOGO.GIF"};

TEST(ArrowArtTest, BothAre15x15TwentyFourBitWithKeyedCornersAndASolidMiddle) {
    for (const char* name : {"ArrowUp.BMP", "ArrowDown.BMP"}) {
        SCOPED_TRACE(name);
        Picture arrow;
        ASSERT_TRUE(ParseBmp24(kSkinSource / name, arrow));
        EXPECT_EQ(arrow.width, 15);
        EXPECT_EQ(arrow.height, 15);
        EXPECT_EQ(arrow.bitsPerPixel, 24);
        ExpectKeyedCorners(arrow, name);
        for (int y = 5; y <= 9; ++y) {
            for (int x = 5; x <= 9; ++x) {
                EXPECT_NE(arrow.At(x, y), kKey) << "middle pixel (" << x << ", " << y << ")";
            }
        }
        EXPECT_EQ(CountNearKey(arrow), 0);
    }
}

TEST(ArrowArtTest, EachPointsItsOwnWay) {
    Picture up;
    Picture down;
    ASSERT_TRUE(ParseBmp24(kSkinSource / "ArrowUp.BMP", up));
    ASSERT_TRUE(ParseBmp24(kSkinSource / "ArrowDown.BMP", down));
    const GlyphSpan u = BrightGlyph(up);
    const GlyphSpan d = BrightGlyph(down);
    ASSERT_GE(u.firstRow, 0) << "no glyph on the up arrow";
    ASSERT_GE(d.firstRow, 0) << "no glyph on the down arrow";
    EXPECT_LT(u.firstWidth, u.lastWidth) << "the up arrow's tip must be at its top";
    EXPECT_GT(d.firstWidth, d.lastWidth) << "the down arrow's tip must be at its bottom";
}

TEST(LogoArtTest, HeaderSays76x21AndTheTextSitsInsideAKeyedBorder) {
    const auto bytes = ReadBytes(kSkinSource / "NORVI_LOGO.GIF");
    ASSERT_GE(bytes.size(), 13u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
    EXPECT_EQ(Le(bytes, 6, 2), 76u);
    EXPECT_EQ(Le(bytes, 8, 2), 21u);
    EXPECT_EQ(bytes.back(), 0x3B) << "no trailer";

    const QImage image = LoadWithQt(kSkinSource / "NORVI_LOGO.GIF");
    ASSERT_FALSE(image.isNull()) << "the logo does not decode";
    const Picture logo = FromQImage(image);
    ASSERT_EQ(logo.width, 76);
    ASSERT_EQ(logo.height, 21);
    // Every edge pixel is the key: nothing of the lettering is cut off.
    for (int x = 0; x < logo.width; ++x) {
        EXPECT_EQ(logo.At(x, 0), kKey) << "top edge at " << x;
        EXPECT_EQ(logo.At(x, logo.height - 1), kKey) << "bottom edge at " << x;
    }
    for (int y = 0; y < logo.height; ++y) {
        EXPECT_EQ(logo.At(0, y), kKey) << "left edge at " << y;
        EXPECT_EQ(logo.At(logo.width - 1, y), kKey) << "right edge at " << y;
    }
    const int text = static_cast<int>(logo.pixels.size()) - CountKey(logo);
    EXPECT_GT(text, 300) << "too little lettering";
    EXPECT_EQ(CountNearKey(logo), 0);
}

TEST(DefaultSkinTest, Is240x294TwentyFourBitWithoutTheKeyColour) {
    Picture skin;
    ASSERT_TRUE(ParseBmp24(kRes / "DefaultSkin.bmp", skin));
    EXPECT_EQ(skin.width, 240);
    EXPECT_EQ(skin.height, 294);
    EXPECT_EQ(skin.bitsPerPixel, 24);
    EXPECT_EQ(CountKey(skin), 0);
}

TEST(DefaultSkinTest, BlackLabelsReadEverywhere) {
    Picture skin;
    ASSERT_TRUE(ParseBmp24(kRes / "DefaultSkin.bmp", skin));
    double sum = 0.0;
    double darkest = 1.0;
    for (const Rgb c : skin.pixels) {
        sum += Luma(c);
        darkest = std::min(darkest, Luminance(c));
    }
    EXPECT_GE(sum / static_cast<double>(skin.pixels.size()), 200.0) << "mean luma";
    // 7:1 against black text, at the skin's darkest pixel.
    EXPECT_GE((darkest + 0.05) / 0.05, 7.0);
}

TEST(SkinFolderTest, TheBuildCopiesMatchTheSources) {
    for (const char* name : kSkinFiles) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(fs::exists(kSkinBuild / name)) << kSkinBuild / name;
        const auto source = ReadBytes(kSkinSource / name);
        EXPECT_FALSE(source.empty());
        EXPECT_EQ(ReadBytes(kSkinBuild / name), source);
    }
}

TEST(TrayIconArtTest, SquareWithTransparentCornersAndOpaqueCentre) {
    for (const auto& [name, size] : {std::pair{"Tovalo.png", 32}, std::pair{"Tovalo16.png", 16}}) {
        SCOPED_TRACE(name);
        const QImage icon = LoadWithQt(kRes / name);
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.width(), size);
        EXPECT_EQ(icon.height(), size);
        ASSERT_TRUE(icon.hasAlphaChannel());
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(icon.pixel(size - 1, size - 1)), 0);
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    }
}

} // namespace
