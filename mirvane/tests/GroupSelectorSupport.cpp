#include "GroupSelectorSupport.h"

#include <platform/Device.h>

namespace mirvanetest {

namespace {

// Draws the pixels of an arrow file that are not the transparent red.
void DrawArrow(CDC& target, const std::u16string& file, int x, int y) {
    HBITMAP hBitmap = SHLoadDIBitmap((platform::ModuleDirectory() + u"\\Skin\\" + file).c_str());
    if (!hBitmap)
        return;
    CBitmap bitmap;
    bitmap.Attach(reinterpret_cast<HGDIOBJ>(hBitmap));
    CDC dc;
    dc.CreateCompatibleDC(&target);
    dc.SelectObject(&bitmap);
    for (int row = 0; row < 15; ++row)
        for (int col = 0; col < 15; ++col) {
            COLORREF color = dc.GetPixel(col, row);
            if (color != RGB(255, 0, 0) && color != CLR_INVALID)
                target.SetPixel(x + col, y + row, color);
        }
}

CRect LabelRect(const Placement& label, SIZE size) {
    const LONG x = label.point.x, y = label.point.y;
    switch (label.hang) {
    case Hang::Below:
        return CRect(x - size.cx, y, x, y + size.cy);
    case Hang::Centred:
        return CRect(x - size.cx, y - size.cy / 2, x, y + size.cy / 2);
    case Hang::Above:
        break;
    }
    return CRect(x - size.cx, y - size.cy, x, y);
}

} // namespace

std::vector<Mismatch> GroupSelectorTest::CompareWith(const std::vector<Placement>& labels,
                                                     Expect expect) {
    CRect place;
    m_wnd->GetWindowRect(&place);
    const int nWidth = place.Width(), nHeight = place.Height();
    const int nWheel = nWidth - 15;
    Surface picture(nWidth, nHeight);
    CDC& dc = picture.dc();
    if (expect.bSkin) {
        dc.BitBlt(0, 0, nWidth, nHeight, &m_skin->dc(), place.left, place.top, SRCCOPY);
        DrawArrow(dc, u"ArrowUp.BMP", nWheel, 0);
        DrawArrow(dc, u"ArrowDown.BMP", nWheel, nHeight - 15);
    } else {
        dc.FillSolidRect(0, 0, nWidth, nHeight, RGB(255, 255, 255));
    }

    for (const auto& label : labels) {
        if (!expect.bBand || label.hang != Hang::Centred)
            continue;
        CRect rc = LabelRect(label, dc.GetTextExtent(CString(Name(label.nGroup))));
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = 10; x < nWheel; ++x)
                dc.SetPixel(x, y, Blend(kViolet, dc.GetPixel(x, y), 130));
    }

    dc.SetBkMode(TRANSPARENT);
    const int nLimit = nWheel - 20;
    for (const auto& label : labels) {
        CString name(Name(label.nGroup));
        SIZE size = dc.GetTextExtent(name);
        CRect rc = LabelRect(label, size);
        if (size.cx > nLimit) {
            int per = size.cx / name.GetLength();
            int cut = (size.cx - nLimit) / per;
            name = name.Left(name.GetLength() - cut);
        }
        dc.DrawText(name, &rc, DT_RIGHT);
    }
    return Differences(m_wnd->GetSafeHwnd(), dc, nWidth, nHeight);
}

} // namespace mirvanetest
