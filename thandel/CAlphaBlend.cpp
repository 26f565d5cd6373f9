#include <thandel/CAlphaBlend.h>

#include "BlendBytes.h"

#include <array>

namespace {

// The working surfaces of one blend, released on every path.
struct Work {
    std::array<HBITMAP, 3> bitmaps{};
    std::array<HDC, 3> dcs{};
    std::array<HGDIOBJ, 3> previous{};

    void Release(int i) {
        if (dcs[i]) {
            SelectObject(dcs[i], previous[i]);
            DeleteDC(dcs[i]);
            dcs[i] = nullptr;
        }
        if (bitmaps[i]) {
            DeleteObject(bitmaps[i]);
            bitmaps[i] = nullptr;
        }
    }
    ~Work() {
        for (int i = 0; i < 3; ++i)
            Release(i);
    }
};

enum { kSource, kBackground, kOutput };

bool Inside(const platform::SurfacePixels& surface, int x, int y, int width, int height) {
    return x >= 0 && y >= 0 && width <= surface.width - x && height <= surface.height - y;
}

// The blend straight on the pixels of two 32-bit memory surfaces, when the working bitmaps
// would only carry the same bytes there and back: no scaling, both rectangles wholly inside
// their surfaces, two different surfaces. The result is byte for byte the working bitmaps'.
bool BlendInPlace(HDC hDest, int nXDest, int nYDest, int nWidth, int nHeight, HDC hSrc, int nXSrc,
                  int nYSrc, int nSrcWidth, int nSrcHeight, DWORD dwOpacity) {
    platform::SurfacePixels dest, src;
    if (nWidth <= 0 || nHeight <= 0 || nSrcWidth != nWidth || nSrcHeight != nHeight ||
        dwOpacity > 255 || !platform::GetSurfacePixels(hDest, &dest) ||
        !platform::GetSurfacePixels(hSrc, &src) || dest.bits == src.bits ||
        !Inside(dest, nXDest, nYDest, nWidth, nHeight) ||
        !Inside(src, nXSrc, nYSrc, nWidth, nHeight))
        return false;
    thandel::BlendPixels(src.bits + nYSrc * src.stride + nXSrc * 4, src.stride,
                         dest.bits + nYDest * dest.stride + nXDest * 4, dest.stride, nWidth,
                         nHeight, dwOpacity);
    return true;
}

} // namespace

CAlphaBlend::~CAlphaBlend() = default;

int CAlphaBlend::DoAlphaBlend(CDC* pDestDC, int nXDest, int nYDest, int nDestWidth, int nDestHeight,
                              CDC* pSrcDC, int nXSrc, int nYSrc, int nSrcWidth, int nSrcHeight,
                              DWORD dwOpacity) {
    if (!pDestDC || !pSrcDC)
        return 0;
    if (BlendInPlace(pDestDC->m_hDC, nXDest, nYDest, nDestWidth, nDestHeight, pSrcDC->m_hDC, nXSrc,
                     nYSrc, nSrcWidth, nSrcHeight, dwOpacity))
        return 1;
    Work work;
    for (HBITMAP& bitmap : work.bitmaps) {
        bitmap = Create24BPPDIBSection(pDestDC->m_hDC, nDestWidth, nDestHeight);
        if (!bitmap)
            return 0;
    }
    for (int i = 0; i < 3; ++i) {
        work.dcs[i] = CreateCompatibleDC(pDestDC->m_hDC);
        if (!work.dcs[i])
            return 0;
        work.previous[i] = SelectObject(work.dcs[i], work.bitmaps[i]);
    }
    const BOOL copiedSource =
        StretchBlt(work.dcs[kSource], 0, 0, nDestWidth, nDestHeight, pSrcDC->m_hDC, nXSrc, nYSrc,
                   nSrcWidth, nSrcHeight, SRCCOPY);
    const BOOL copiedBackground = BitBlt(work.dcs[kBackground], 0, 0, nDestWidth, nDestHeight,
                                         pDestDC->m_hDC, nXDest, nYDest, SRCCOPY);
    if (!copiedSource || !copiedBackground)
        return 0;
    const int blended = BlendImages(work.bitmaps[kSource], work.bitmaps[kBackground],
                                    work.bitmaps[kOutput], dwOpacity);
    work.Release(kSource);
    work.Release(kBackground);
    if (blended)
        BitBlt(pDestDC->m_hDC, nXDest, nYDest, nDestWidth, nDestHeight, work.dcs[kOutput], 0, 0,
               SRCCOPY);
    return blended;
}

HBITMAP CAlphaBlend::Create24BPPDIBSection(HDC hDC, int nWidth, int nHeight) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = nHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return CreateDIBSection(hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

int CAlphaBlend::BitmapsCompatible(const BITMAP* pBmp1, const BITMAP* pBmp2) {
    return pBmp1->bmBitsPixel == pBmp2->bmBitsPixel && pBmp1->bmPlanes == pBmp2->bmPlanes &&
                   pBmp1->bmWidth == pBmp2->bmWidth && pBmp1->bmHeight == pBmp2->bmHeight
               ? 1
               : 0;
}

int CAlphaBlend::BlendImages(HBITMAP hbmSrc1, HBITMAP hbmSrc2, HBITMAP hbmDst, DWORD dwOpacity) {
    if (dwOpacity > 255)
        return 0;
    BITMAP source, background, output;
    if (!GetObjectW(hbmSrc1, sizeof source, &source) ||
        !GetObjectW(hbmSrc2, sizeof background, &background) ||
        !GetObjectW(hbmDst, sizeof output, &output))
        return 0;
    if (!BitmapsCompatible(&source, &background) || !BitmapsCompatible(&source, &output) ||
        source.bmBitsPixel != 24 || source.bmPlanes != 1 || !source.bmBits || !background.bmBits ||
        !output.bmBits)
        return 0;
    // Equal sizes give equal strides, so the rows, padding included, are blended in one run.
    const auto bytes = static_cast<std::size_t>(output.bmWidthBytes) * output.bmHeight;
    thandel::BlendBytes(static_cast<const BYTE*>(source.bmBits),
                        static_cast<const BYTE*>(background.bmBits),
                        static_cast<BYTE*>(output.bmBits), bytes, dwOpacity);
    return 1;
}
