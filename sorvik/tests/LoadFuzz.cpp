// libFuzzer target: any bytes as a bitmap file and as a palette file. The loaders must refuse
// or load them without reading or writing outside a buffer, and leave nothing behind.
#include <sorvik/CImageLoadProc.h>

#include <platform/Device.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::filesystem::path g_folder;
const char16_t* const kDevicePath = u"\\Windows\\input.img";

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string folder = (std::filesystem::temp_directory_path() / "sorvik-fuzz-XXXXXX").string();
    g_folder = mkdtemp(folder.data());
    std::filesystem::create_directories(g_folder / "Windows");
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(g_folder, ec);
    });
    setenv("TOVALO_DEVICE", g_folder.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::ofstream(g_folder / "Windows" / "input.img", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    _SXBMP bmp{};
    const DWORD result = CImageLoadProc::LoadBitmapW(kDevicePath, &bmp, 1, 2);
    // A loaded record holds exactly its 8- or 16-bit pixels; any other holds no buffer.
    const std::uint64_t pixels = std::uint64_t{bmp.dwWidth} * bmp.dwHeight * (bmp.wBitCount / 8);
    const bool consistent =
        bmp.bLoaded
            ? bmp.pData && (bmp.wBitCount == 8 || bmp.wBitCount == 16) && bmp.dwSize == pixels
            : bmp.pData == nullptr;
    if ((result == SX_SUCCESS) != (bmp.bLoaded == 1) || !consistent)
        std::abort();
    // Touch every byte the record claims, so that a short buffer shows up at once.
    volatile BYTE sum = 0;
    for (DWORD i = 0; bmp.pData && i < bmp.dwSize; ++i)
        sum = static_cast<BYTE>(sum + bmp.pData[i]);
    CImageLoadProc::ClearBitmap(&bmp);

    CImageLoadProc proc;
    if (_SXPALETTE* palette = proc.LoadPalette(kDevicePath)) {
        if (palette->nColors < 1 || palette->nColors > 256 || palette->wSignature != 0x4650)
            std::abort();
        volatile WORD last = palette->pColors[palette->nColors - 1];
        (void)last;
        FreePalette(palette);
    }
    return 0;
}
