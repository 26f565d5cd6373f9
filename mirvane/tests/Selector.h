#pragma once

#include "LabelFit.h"
#include "WindowTest.h"

#include <mirvane/CGroupListWnd.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace mirvanetest {

class TestSelector : public CGroupListWnd {
public:
    using CGroupListWnd::CGroupListWnd;
    using CGroupListWnd::m_nCurGroup;
    using CGroupListWnd::m_nMaxSlots;
    using CGroupListWnd::m_nSlots;
    using CGroupListWnd::m_rcBand;
};

// A label's rim point and how it hangs from it: below (upper half), centred, or above.
enum class Hang { Below, Centred, Above };
struct Label {
    int nGroup;
    POINT point;
    Hang hang;
};

constexpr RECT kSelectorPlace{0, 13, 118, 123};
constexpr COLORREF kViolet = RGB(180, 102, 242);

// The labels of nGroups groups on nSlots rim positions (no more than the groups), from group
// nCurrent, in frame k of a turn of five frames (0: at rest): label j stands j positions and
// k fifths of one on, down the rim for a turn down; those past the bottom (or top) wrap round
// to the other quarter as the groups before the current one.
inline std::vector<Label> Rim(int nGroups, int nSlots, int nCurrent, int k = 0, bool bDown = true) {
    std::vector<Label> labels;
    nSlots = std::min(nSlots, nGroups);
    const double sign = bDown ? -1 : 1, step = 3.1415926 / nSlots;
    for (int j = 0; j < nSlots; ++j) {
        double angle = sign * (k * step / 5 + j * step);
        const bool bWrapped = std::fabs(angle) > 1.5707963;
        if (bWrapped)
            angle -= sign * 3.1415926;
        const int nGroup = nCurrent - static_cast<int>(sign) * (bWrapped ? j - nSlots : j);
        labels.push_back({(nGroup % nGroups + nGroups) % nGroups,
                          {48 + static_cast<LONG>(std::trunc(55 * std::cos(angle))),
                           55 - static_cast<LONG>(std::trunc(55 * std::sin(angle)))},
                          std::fabs(angle) < 1e-9 ? Hang::Centred
                          : angle > 0             ? Hang::Below
                                                  : Hang::Above});
    }
    return labels;
}

class SelectorTest : public WindowTest {
protected:
    // Group i is named names[i], or "Group A" and on past them; it has slot 2i + 1 and 10 + i
    // programs, so a notice with a wrong field shows.
    void AddGroups(int nCount, const std::vector<std::u16string>& names = {}) {
        m_groups.m_List.RemoveAll();
        for (int i = 0; i < nCount; ++i) {
            const std::u16string name =
                i < std::ssize(names) ? names[i] : u"Group " + std::u16string(1, u'A' + i);
            GROUPICONDATA group{.PK = 2 * i + 1, .IconCount = 10 + i};
            std::copy_n(name.data(), std::min<std::size_t>(name.size(), 259), group.GroupName);
            m_groups.m_List.AddTail(group);
        }
    }
    bool Open(int nBandHeight = 20, int nSlots = 5, int bSkinBack = 1, RECT place = kSelectorPlace,
              bool bList = true) {
        m_wnd.emplace(nBandHeight, nSlots, bSkinBack);
        if (!WindowTest::Open(*m_wnd, bList ? &m_groups : nullptr, u"GROUPWND", place, 4444))
            return false;
        m_parent.m_hWatched = *m_wnd;
        Repaint(*m_wnd);
        return true;
    }
    void Tap(int x, int y) { WindowTest::Tap(*m_wnd, x, y); }
    int Copies() { return WindowTest::Copies(*m_wnd); }

    // Paints what the window must show, from the skin, the arrow files, the band laid just
    // before label nBandBefore (at rcBand, or under the centred label) and the labels.
    void PaintExpected(CDC& dc, const std::vector<Label>& labels, bool bSkin = true,
                       std::size_t nBandBefore = 0, std::optional<CRect> rcBand = {}) {
        dc.SetBkMode(TRANSPARENT);
        if (bSkin) {
            dc.BitBlt(0, 0, 118, 110, &m_skin.dc, 0, 13, SRCCOPY);
            // The arrow files: a triangle, blue pointing up and green pointing down, in rows
            // 3 to 11 of 15, on the key colour.
            for (int y = 3; m_bArrows && y < 12; ++y) {
                const int half = std::min(y - 3, 7);
                dc.FillSolidRect(110 - half, y, 2 * half + 1, 1, RGB(20, 40, 160));
                dc.FillSolidRect(110 - half, 109 - y, 2 * half + 1, 1, RGB(20, 140, 40));
            }
        } else {
            dc.FillSolidRect(0, 0, 118, 110, RGB(255, 255, 255));
        }
        auto text = [&](const Label& label) {
            return CString(m_groups.GetIcon(label.nGroup).GroupName);
        };
        auto place = [&](const Label& label) {
            const SIZE size = dc.GetTextExtent(text(label));
            const LONG x = label.point.x, y = label.point.y, h = size.cy;
            return label.hang == Hang::Below     ? CRect(x - size.cx, y, x, y + h)
                   : label.hang == Hang::Centred ? CRect(x - size.cx, y - h / 2, x, y + h / 2)
                                                 : CRect(x - size.cx, y - h, x, y);
        };
        for (const Label& label : labels)
            if (!rcBand && label.hang == Hang::Centred)
                rcBand = CRect(10, place(label).top, 103, place(label).bottom);
        for (std::size_t i = 0; i <= labels.size(); ++i) {
            if (i == nBandBefore && rcBand)
                for (int y = rcBand->top; y < rcBand->bottom; ++y)
                    for (int x = 10; x < 103; ++x)
                        dc.SetPixel(x, y, Blend(kViolet, dc.GetPixel(x, y), 130));
            if (i == labels.size())
                break;
            CString name = text(labels[i]);
            CRect rc = place(labels[i]);
            // A name too wide for the wheel is cut as the label fitting, tested on its own, says.
            name =
                name.Left(mirvane::FittedLength(dc.GetTextExtent(name).cx, name.GetLength(), 83));
            dc.DrawText(name, &rc, DT_RIGHT);
        }
    }
    std::string Compare(const std::vector<Label>& labels, bool bSkin = true) {
        Surface expected(118, 110);
        PaintExpected(expected.dc, labels, bSkin);
        return Diff(Snapshot(*m_wnd, 118, 110)->dc, expected.dc, 118, 110);
    }

    std::optional<TestSelector> m_wnd;
    CGetGroupIconInfo m_groups;
    bool m_bArrows = true; // whether the skin folder has its arrow files
};

} // namespace mirvanetest
