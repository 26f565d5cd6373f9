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

void GroupSelectorTest::PaintExpected(CDC& dc, const std::vector<Placement>& labels,
                                      const Expect& expect) {
    CRect place;
    m_wnd->GetWindowRect(&place);
    const int nWidth = place.Width(), nHeight = place.Height();
    const int nWheel = nWidth - 15;
    if (expect.bSkin) {
        dc.BitBlt(0, 0, nWidth, nHeight, &m_skin->dc(), place.left, place.top, SRCCOPY);
        DrawArrow(dc, u"ArrowUp.BMP", nWheel, 0);
        DrawArrow(dc, u"ArrowDown.BMP", nWheel, nHeight - 15);
    } else {
        dc.FillSolidRect(0, 0, nWidth, nHeight, RGB(255, 255, 255));
    }

    std::optional<CRect> band = expect.rcBand;
    for (const auto& label : labels)
        if (!band && label.hang == Hang::Centred)
            band = LabelRect(label, dc.GetTextExtent(CString(Name(label.nGroup))));
    auto paintBand = [&] {
        if (!expect.bBand || !band)
            return;
        for (int y = band->top; y < band->bottom; ++y)
            for (int x = 10; x < nWheel; ++x)
                dc.SetPixel(x, y, Blend(kViolet, dc.GetPixel(x, y), 130));
    };

    dc.SetBkMode(TRANSPARENT);
    const int nLimit = nWheel - 20;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (i == expect.nBandBefore)
            paintBand();
        CString name(Name(labels[i].nGroup));
        SIZE size = dc.GetTextExtent(name);
        CRect rc = LabelRect(labels[i], size);
        if (size.cx > nLimit) {
            int per = size.cx / name.GetLength();
            int cut = (size.cx - nLimit) / per;
            name = name.Left(name.GetLength() - cut);
        }
        dc.DrawText(name, &rc, DT_RIGHT);
    }
    if (labels.empty())
        paintBand();
}

std::vector<Mismatch> GroupSelectorTest::CompareWith(const std::vector<Placement>& labels,
                                                     Expect expect) {
    CRect place;
    m_wnd->GetWindowRect(&place);
    Surface picture(place.Width(), place.Height());
    PaintExpected(picture.dc(), labels, expect);
    return Differences(m_wnd->GetSafeHwnd(), picture.dc(), place.Width(), place.Height());
}

} // namespace mirvanetest
