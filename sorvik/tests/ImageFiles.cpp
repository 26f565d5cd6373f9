#include "ImageFiles.h"

#include <cstring>

namespace sorvik::test {

std::string Bytes(std::initializer_list<int> bytes) {
    std::string out;
    for (int b : bytes)
        out.push_back(static_cast<char>(b));
    return out;
}

std::string MakePF(std::uint32_t width, std::uint32_t height, std::uint16_t bits,
                   const std::string& pixels) {
    std::string out = "PF";
    PutDword(out, width);
    PutDword(out, height);
    PutWord(out, bits);
    return out + pixels;
}

std::vector<std::uint16_t> Pixels16(const _SXBMP& bmp) {
    std::vector<std::uint16_t> out(bmp.pData ? bmp.dwSize / 2 : 0);
    if (!out.empty())
        std::memcpy(out.data(), bmp.pData, out.size() * 2);
    return out;
}

std::vector<std::uint8_t> Pixels8(const _SXBMP& bmp) {
    if (!bmp.pData)
        return {};
    return {bmp.pData, bmp.pData + bmp.dwSize};
}

void ImageTest::TearDown() {
    CImageLoadProc::ClearBitmap(&m_bmp);
    DeviceFolderTest::TearDown();
}

std::u16string ImageTest::Put(const std::string& name, const std::string& content) {
    testsupport::WriteFile(Device() / "Windows" / name, content);
    std::u16string path = u"\\Windows\\";
    for (char c : name)
        path.push_back(static_cast<char16_t>(c));
    return path;
}

} // namespace sorvik::test
