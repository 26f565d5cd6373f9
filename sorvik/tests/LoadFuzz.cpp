// libFuzzer target: any bytes as a bitmap file and as a palette file. The loaders must refuse
// or load them without reading or writing outside a buffer, and leave nothing behind.
#include <sorvik/CImageLoadProc.h>

#include <platform/Device.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

std::filesystem::path g_folder;
const char16_t* const kDevicePath = u"\\Windows\\input.img";

bool RecordIsConsistent(const _SXBMP& bmp) {
    if (!bmp.bLoaded)
        return bmp.pData == nullptr;
    const std::uint64_t expected = std::uint64_t{bmp.dwWidth} * bmp.dwHeight * (bmp.wBitCount / 8);
    return bmp.pData && (bmp.wBitCount == 8 || bmp.wBitCount == 16) && bmp.dwSize == expected;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::random_device random;
    g_folder = std::filesystem::temp_directory_path() /
               ("sorvik-fuzz-" + std::to_string(random()) + std::to_string(random()));
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
    if ((result == SX_SUCCESS) != (bmp.bLoaded == 1) || !RecordIsConsistent(bmp))
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
