#pragma once

#include <platform/Types.h>

// The framework's point and rectangle: the device's records with a few helpers.
struct CPoint : POINT {
    CPoint() = default;
    CPoint(LONG x0, LONG y0) : POINT{x0, y0} {}
    CPoint(const POINT& p) : POINT(p) {}
};

struct CRect : RECT {
    CRect() = default;
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    CRect(const RECT& r) : RECT(r) {}
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    // Left and top edges inside, right and bottom edges outside.
    bool PtInRect(POINT p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    void OffsetRect(LONG dx, LONG dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    CPoint TopLeft() const { return {left, top}; }
};

inline BOOL PtInRect(const RECT* r, POINT p) {
    return CRect(*r).PtInRect(p) ? TRUE : FALSE;
}
inline BOOL SetRect(LPRECT r, int l, int t, int rr, int b) {
    *r = RECT{l, t, rr, b};
    return TRUE;
}
