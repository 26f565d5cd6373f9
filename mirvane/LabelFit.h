#pragma once

namespace mirvane {

// How many characters of a label nWidth pixels wide with nChars characters to keep so that
// it fits nLimit pixels, cutting by the label's average character width. The rectangle the
// label was placed in is kept, so the cut is measured against the full label.
inline int FittedLength(int nWidth, int nChars, int nLimit) {
    if (nWidth <= nLimit || nChars <= 0)
        return nChars;
    int nPer = nWidth / nChars;
    if (nPer <= 0)
        return nChars;
    int nCut = (nWidth - nLimit) / nPer;
    return nCut < nChars ? nChars - nCut : 0;
}

} // namespace mirvane
