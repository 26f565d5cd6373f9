#pragma once

#include <platform/CDC.h>
#include <thandel/thandel_export.h>

// Draws one rectangle of a surface over another with a constant opacity, through 24-bit
// working bitmaps: output = (opacity * source + (255 - opacity) * background) >> 8 per byte.
class THANDEL_EXPORT CAlphaBlend {
public:
    CAlphaBlend() = default;
    CAlphaBlend(const CAlphaBlend&) = default;
    CAlphaBlend& operator=(const CAlphaBlend&) = default;
    virtual ~CAlphaBlend();

    // 1 when the blended picture was drawn; 0 leaves the destination untouched.
    int DoAlphaBlend(CDC* pDestDC, int nXDest, int nYDest, int nDestWidth, int nDestHeight,
                     CDC* pSrcDC, int nXSrc, int nYSrc, int nSrcWidth, int nSrcHeight,
                     DWORD dwOpacity);

protected:
    HBITMAP Create24BPPDIBSection(HDC hDC, int nWidth, int nHeight);
    int BitmapsCompatible(const BITMAP* pBmp1, const BITMAP* pBmp2);
    int BlendImages(HBITMAP hbmSrc1, HBITMAP hbmSrc2, HBITMAP hbmDst, DWORD dwOpacity);
};
