#pragma once

#include <platform/CDC.h>

namespace mirvane {

// Makes a memory surface compatible with the window's and selects a new bitmap of the given
// size into it; false when either cannot be made (a size below one pixel cannot).
inline bool MakeSurface(CDC& dc, CBitmap& bitmap, CDC* pWindowDC, int nWidth, int nHeight) {
    if (nWidth <= 0 || nHeight <= 0)
        return false;
    if (!dc.CreateCompatibleDC(pWindowDC))
        return false;
    if (!bitmap.CreateCompatibleBitmap(pWindowDC, nWidth, nHeight))
        return false;
    dc.SelectObject(&bitmap);
    return true;
}

} // namespace mirvane
