#include <testsupport/ImageFiles.h>

namespace testsupport {

void PutWord(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void PutDword(std::string& out, std::uint32_t value) {
    PutWord(out, static_cast<std::uint16_t>(value & 0xFFFF));
    PutWord(out, static_cast<std::uint16_t>(value >> 16));
}

std::string MakeBmp(std::uint32_t width, std::uint32_t height, std::uint16_t bits,
                    std::uint32_t imageSize, const std::string& pixels, std::uint32_t dataOffset) {
    std::string out = "BM";
    PutDword(out, static_cast<std::uint32_t>(dataOffset + pixels.size())); // file size
    PutDword(out, 0);
    PutDword(out, dataOffset);
    PutDword(out, 40); // info header size
    PutDword(out, width);
    PutDword(out, height);
    PutWord(out, 1); // planes
    PutWord(out, bits);
    PutDword(out, 0); // no compression
    PutDword(out, imageSize);
    out.resize(54, '\0');
    out.resize(dataOffset, '\x55'); // whatever lies between header and data is skipped
    return out + pixels;
}

std::string MakeSolidBmp(std::uint32_t width, std::uint32_t height, std::uint32_t rgb) {
    std::string row;
    for (std::uint32_t x = 0; x < width; ++x)
        row += {static_cast<char>(rgb & 0xFF), static_cast<char>(rgb >> 8 & 0xFF),
                static_cast<char>(rgb >> 16 & 0xFF)};
    row.resize((row.size() + 3) / 4 * 4, '\0');
    std::string pixels;
    for (std::uint32_t y = 0; y < height; ++y)
        pixels += row;
    return MakeBmp(width, height, 24, static_cast<std::uint32_t>(pixels.size()), pixels);
}

} // namespace testsupport
