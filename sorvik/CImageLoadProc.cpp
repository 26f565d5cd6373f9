#include <sorvik/CImageLoadProc.h>

#include "ImageFile.h"
#include "PixelBuffer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

using sorvik::detail::AllocateBuffer;
using sorvik::detail::BufferPtr;
using sorvik::detail::ImageFile;
using sorvik::detail::ReleaseBuffer;

namespace {

constexpr WORD kSignaturePF = 0x4650; // "PF"
constexpr WORD kSignatureBM = 0x4D42; // "BM"
constexpr std::uint64_t kPFDataOffset = 12;
constexpr std::uint64_t kPaletteColorsOffset = 3;

// a x b x c, or nothing when the product does not fit a 32-bit size.
std::optional<DWORD> SizeOf(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    std::uint64_t ab = 0;
    std::uint64_t abc = 0;
    if (__builtin_mul_overflow(a, b, &ab) || __builtin_mul_overflow(ab, c, &abc) ||
        abc > std::numeric_limits<DWORD>::max())
        return std::nullopt;
    return static_cast<DWORD>(abc);
}

// Reads the PF header into the record and checks it; the number of data bytes to read.
std::optional<DWORD> ReadPFHeader(ImageFile& file, _SXBMP* pBmp) {
    pBmp->dwWidth = file.DwordAt(2);
    pBmp->dwHeight = file.DwordAt(6);
    pBmp->wBitCount = file.WordAt(10);
    if (pBmp->wBitCount != 8 && pBmp->wBitCount != 16)
        return std::nullopt;
    const auto size = SizeOf(pBmp->dwWidth, pBmp->dwHeight, pBmp->wBitCount / 8);
    // A header that claims more pixels than the whole file holds is hostile, not short.
    if (!size || *size == 0 || *size > file.Length())
        return std::nullopt;
    pBmp->dwSize = *size;
    return size;
}

// Reads the BMP header into the record and checks it; the offset of the pixel data.
std::optional<std::uint64_t> ReadBMHeader(ImageFile& file, _SXBMP* pBmp) {
    const DWORD dataOffset = file.DwordAt(10);
    pBmp->dwWidth = file.DwordAt(18);
    pBmp->dwHeight = file.DwordAt(22);
    pBmp->wBitCount = file.WordAt(28);
    pBmp->dwSize = file.DwordAt(34);
    const WORD bits = pBmp->wBitCount;
    if (bits != 8 && bits != 16 && bits != 24)
        return std::nullopt;
    const std::uint64_t bytesPerPixel = bits / 8;
    const auto pixels = SizeOf(pBmp->dwWidth, pBmp->dwHeight, bytesPerPixel);
    if (!pixels || *pixels == 0)
        return std::nullopt;
    if (pBmp->dwSize == 0) {
        // Rows padded to 4 bytes; the width is 32-bit, so this cannot overflow 64 bits.
        const std::uint64_t rowLength = (pBmp->dwWidth * bytesPerPixel + 3) & ~std::uint64_t{3};
        const auto size = SizeOf(rowLength, pBmp->dwHeight, 1);
        if (!size)
            return std::nullopt;
        pBmp->dwSize = *size;
    }
    // Smaller than its rows would make the conversion read past the data; more than the whole
    // file, or data starting beyond it, is no short file but a hostile header.
    if (pBmp->dwSize < *pixels || pBmp->dwSize > file.Length() || dataOffset > file.Length())
        return std::nullopt;
    return dataOffset;
}

} // namespace

void FreePalette(_SXPALETTE* palette) {
    if (!palette)
        return;
    ReleaseBuffer(palette->pColors);
    palette->~_SXPALETTE();
    ReleaseBuffer(palette);
}

CImageLoadProc::CImageLoadProc() = default;

CImageLoadProc::~CImageLoadProc() = default;

DWORD CImageLoadProc::LoadBitmapW(LPCWSTR lpszPath, _SXBMP* pBmp, int bUserFlag, WORD wUserValue) {
    ImageFile file(lpszPath);
    if (!file.IsOpen() || !pBmp)
        return SX_E_OPENFILE;
    ClearBitmap(pBmp);

    std::uint64_t dataOffset = 0;
    const WORD signature = file.WordAt(0);
    if (signature == kSignaturePF) {
        if (!ReadPFHeader(file, pBmp))
            return SX_E_UNSUPPORTED;
        dataOffset = kPFDataOffset;
    } else if (signature == kSignatureBM) {
        const auto offset = ReadBMHeader(file, pBmp);
        if (!offset)
            return SX_E_UNSUPPORTED;
        dataOffset = *offset;
    } else {
        return SX_E_UNSUPPORTED;
    }

    // The raw bytes live only for the conversion; missing ones at the file's end stay zero.
    BufferPtr<BYTE> raw(AllocateBuffer(pBmp->dwSize));
    if (!raw)
        return SX_E_NOMEMORY;
    file.ReadAt(dataOffset, std::span<BYTE>(raw.get(), pBmp->dwSize));

    ConvertToCompatibleBitmap(pBmp, raw.get());
    if (!pBmp->bLoaded)
        return SX_E_NOMEMORY;
    if (bUserFlag != 0) {
        pBmp->bUserFlag = bUserFlag;
        pBmp->wUserValue = wUserValue;
    }
    return SX_SUCCESS;
}

DWORD CImageLoadProc::ConvertToCompatibleBitmap(_SXBMP* pBmp, const BYTE* pRaw) {
    if (!pBmp || !pRaw || pBmp->dwWidth == 0 || pBmp->dwHeight == 0)
        return 0;
    const std::size_t width = pBmp->dwWidth;
    const std::size_t height = pBmp->dwHeight;
    // The stored row length; its padding is whatever follows the pixels of a row.
    const std::size_t stride = pBmp->dwSize / height;

    if (pBmp->wBitCount == 8 || pBmp->wBitCount == 16) {
        const std::size_t rowBytes = width * (pBmp->wBitCount / 8);
        const auto size = SizeOf(rowBytes, height, 1);
        if (!size || stride < rowBytes)
            return 0;
        BYTE* pixels = AllocateBuffer(*size);
        if (!pixels)
            return 0;
        // Row by row, so that padded rows never overrun the unpadded buffer; order as stored.
        for (std::size_t row = 0; row < height; ++row)
            std::memcpy(pixels + row * rowBytes, pRaw + row * stride, rowBytes);
        pBmp->pData = pixels;
        pBmp->dwSize = *size;
        pBmp->bLoaded = 1;
        return 0;
    }

    if (pBmp->wBitCount == 24) {
        const std::size_t rowBytes = width * 3;
        const auto size = SizeOf(width, height, 2);
        if (!size || stride < rowBytes)
            return 0;
        // The padding is taken as a byte, as the format's writers did.
        const std::size_t step = rowBytes + static_cast<BYTE>(stride - rowBytes);
        BYTE* buffer = AllocateBuffer(*size);
        if (!buffer)
            return 0;
        auto* pixels = reinterpret_cast<WORD*>(buffer);
        // Stored bottom row first; the buffer runs top to bottom.
        for (std::size_t stored = 0; stored < height; ++stored) {
            const BYTE* source = pRaw + stored * step;
            WORD* target = pixels + (height - 1 - stored) * width;
            for (std::size_t x = 0; x < width; ++x)
                target[x] = SX24RGB16Short(0, source + x * 3);
        }
        pBmp->pData = buffer;
        pBmp->bLoaded = 1;
        pBmp->dwSize = *size;
        pBmp->wBitCount = 16;
    }
    return 0;
}

DWORD CImageLoadProc::ClearBitmap(_SXBMP* pBmp) {
    if (!pBmp)
        return 0;
    if (pBmp->pData)
        ReleaseBuffer(pBmp->pData);
    *pBmp = _SXBMP{};
    return 0;
}

WORD CImageLoadProc::SX24RGB16Short(int nOffset, const BYTE* pData) {
    const BYTE blue = pData[nOffset];
    const BYTE green = pData[nOffset + 1];
    const BYTE red = pData[nOffset + 2];
    return static_cast<WORD>(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3));
}

DWORD CImageLoadProc::SX24RGB16Short(DWORD dwColor, BYTE nGreenBits) {
    const DWORD red = dwColor & 0xFF;
    const DWORD green = (dwColor >> 8) & 0xFF;
    const DWORD blue = (dwColor >> 16) & 0xFF;
    const DWORD greenBits = nGreenBits == 6 ? (green >> 2) << 5 : (green >> 3) << 5;
    return ((red & 0xF8) << 8) | greenBits | (blue >> 3);
}

WORD CImageLoadProc::SetPixelValue(WORD wPixel, short nChange) {
    int channels[3] = {(wPixel >> 8) & 0xF8, (wPixel >> 3) & 0xF8, (wPixel & 0x1F) << 3};
    for (int& channel : channels) {
        channel += nChange;
        channel = nChange > 0 ? std::min(channel, 255) : std::max(channel, 0);
    }
    const auto [red, green, blue] = channels;
    return static_cast<WORD>(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3));
}

DWORD CImageLoadProc::CreateBlankBitmap(_SXBMP* pBmp, DWORD dwWidth, DWORD dwHeight, WORD wBitCount,
                                        BYTE /*bReserved*/) {
    if (!pBmp)
        return SX_E_UNSUPPORTED;
    ClearBitmap(pBmp);
    pBmp->dwWidth = dwWidth;
    pBmp->dwHeight = dwHeight;
    if (wBitCount == 24) {
        // Described but never made: the display has no 24-bit buffers.
        pBmp->dwSize = SizeOf(dwWidth, dwHeight, 3).value_or(0);
        return SX_E_UNSUPPORTED;
    }
    if (wBitCount != 8 && wBitCount != 16)
        return SX_E_UNSUPPORTED;
    const auto size = SizeOf(dwWidth, dwHeight, wBitCount / 8);
    if (!size)
        return SX_E_NOMEMORY;
    BYTE* pixels = AllocateBuffer(*size);
    if (!pixels)
        return SX_E_NOMEMORY;
    pBmp->dwSize = *size;
    pBmp->pData = pixels;
    pBmp->bLoaded = 1;
    pBmp->wBitCount = wBitCount;
    return SX_SUCCESS;
}

_SXPALETTE* CImageLoadProc::LoadPalette(LPCWSTR lpszPath) {
    if (!lpszPath)
        return nullptr;
    BufferPtr<BYTE> memory(AllocateBuffer(sizeof(_SXPALETTE)));
    if (!memory)
        return nullptr;
    ImageFile file(lpszPath);
    // A file that ends before its count byte states no palette at all.
    if (!file.IsOpen() || file.Length() < kPaletteColorsOffset)
        return nullptr;
    const WORD signature = file.WordAt(0);
    if (signature != kSignaturePF)
        return nullptr;
    const BYTE count = file.ByteAt(2);
    const int colors = count == 0 ? 256 : count;

    BufferPtr<BYTE> bytes(AllocateBuffer(colors * sizeof(WORD)));
    if (!bytes)
        return nullptr;
    // Colours missing at the file's end read as zero, as for bitmaps.
    file.ReadAt(kPaletteColorsOffset, std::span<BYTE>(bytes.get(), colors * sizeof(WORD)));
    auto* values = reinterpret_cast<WORD*>(bytes.get());
    for (int i = 0; i < colors; ++i)
        values[i] = static_cast<WORD>(bytes.get()[2 * i] | (bytes.get()[2 * i + 1] << 8));

    auto* palette = new (memory.release()) _SXPALETTE;
    palette->wSignature = signature;
    palette->nColors = static_cast<short>(colors);
    palette->pColors = reinterpret_cast<WORD*>(bytes.release());
    return palette;
}
