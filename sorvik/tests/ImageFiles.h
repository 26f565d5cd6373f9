#pragma once

#include <sorvik/CImageLoadProc.h>

#include <testsupport/DeviceFolder.h>
#include <testsupport/ImageFiles.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sorvik::test {

using testsupport::MakeBmp;
using testsupport::PutDword;
using testsupport::PutWord;
std::string Bytes(std::initializer_list<int> bytes);

// A PF raw bitmap file.
std::string MakePF(std::uint32_t width, std::uint32_t height, std::uint16_t bits,
                   const std::string& pixels);

// The record's buffer as 16-bit pixels or as bytes.
std::vector<std::uint16_t> Pixels16(const _SXBMP& bmp);
std::vector<std::uint8_t> Pixels8(const _SXBMP& bmp);

// A device folder per case, with files written below \Windows\ and records cleared after.
class ImageTest : public testsupport::DeviceFolderTest {
protected:
    void TearDown() override;
    // Writes the file and gives its device path.
    std::u16string Put(const std::string& name, const std::string& content);

    _SXBMP m_bmp{};
    CImageLoadProc m_proc;
};

} // namespace sorvik::test
