#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

// Little-endian fields appended to a file image.
void PutWord(std::string& out, std::uint16_t value);
void PutDword(std::string& out, std::uint32_t value);

// A BMP file: the 54-byte header (signature, sizes, offset, width, height, one plane, depth,
// no compression, image size) followed by the given pixel bytes at the stated data offset.
std::string MakeBmp(std::uint32_t width, std::uint32_t height, std::uint16_t bits,
                    std::uint32_t imageSize, const std::string& pixels,
                    std::uint32_t dataOffset = 54);

// A 24-bit BMP file of one colour (0xRRGGBB).
std::string MakeSolidBmp(std::uint32_t width, std::uint32_t height, std::uint32_t rgb);

} // namespace testsupport
