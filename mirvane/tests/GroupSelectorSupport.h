#pragma once

#include "WindowTestSupport.h"

#include <mirvane/CGroupListWnd.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace mirvanetest {

// The selector with its protected parts in reach.
class TestSelector : public CGroupListWnd {
public:
    using CGroupListWnd::CGroupListWnd;
    CRect Rotated(int r, double angle, int cx, int cy, int w, int h) {
        return CalcRotateRect(r, angle, cx, cy, w, h);
    }
    int CurGroup() const { return m_nCurGroup; }
    int Slots() const { return m_nSlots; }
    int MaxSlots() const { return m_nMaxSlots; }
    CRect Band() const { return m_rcBand; }
    CRect List() const { return m_rcList; }
    CRect Strip(int i) const { return m_rcSlots[i]; }
    CRect ArrowUp() const { return m_rcArrowUp; }
    CRect ArrowDown() const { return m_rcArrowDown; }
};

// Where a label stands relative to its rim point.
enum class Hang { Below, Centred, Above };

struct Placement {
    int nGroup;
    POINT point;
    Hang hang;
};

// The rim points of the main screen's selector (118 x 110, five positions).
inline constexpr POINT kCentre{103, 55};
inline constexpr POINT kNext{92, 87};
inline constexpr POINT kAfterNext{64, 107};
inline constexpr POINT kPrevious{92, 23};
inline constexpr POINT kBeforePrevious{64, 3};

// The five labels at rest around the current group of a list of nGroups.
inline std::vector<Placement> RestingFive(int nCurrent, int nGroups) {
    auto at = [&](int offset) { return (nCurrent + offset + nGroups) % nGroups; };
    return {{at(0), kCentre, Hang::Centred},
            {at(1), kNext, Hang::Above},
            {at(2), kAfterNext, Hang::Above},
            {at(-1), kPrevious, Hang::Below},
            {at(-2), kBeforePrevious, Hang::Below}};
}

inline constexpr RECT kSelectorPlace{0, 13, 118, 123};
inline constexpr COLORREF kViolet = RGB(180, 102, 242);

class GroupSelectorTest : public WindowTest {
protected:
    void TearDown() override {
        m_wnd.reset();
        WindowTest::TearDown();
    }

    // Groups with slot numbers 1, 3, 5, ... and program counts 10, 11, 12, ..., so that a
    // notice carrying the wrong field or the wrong group shows.
    void AddGroups(std::initializer_list<std::u16string> names) {
        for (const auto& name : names) {
            int i = m_groups.m_List.GetCount();
            GROUPICONDATA group;
            group.PK = 2 * i + 1;
            group.IconCount = 10 + i;
            std::copy_n(name.data(), std::min<std::size_t>(name.size(), 259), group.GroupName);
            m_groups.m_List.AddTail(group);
        }
    }
    void AddNumberedGroups(int nCount) {
        for (int i = 0; i < nCount; ++i) {
            std::string digits = "Group " + std::to_string(i);
            AddGroups({std::u16string(digits.begin(), digits.end())});
        }
    }
    std::u16string Name(int nGroup) {
        GROUPICONDATA group = m_groups.GetIcon(nGroup);
        auto* end = std::find(std::begin(group.GroupName), std::end(group.GroupName), u'\0');
        return {group.GroupName, end};
    }

    bool Open(int nBandHeight = 20, int nSlots = 5, int bSkinBack = 1,
              RECT place = kSelectorPlace) {
        m_wnd.emplace(nBandHeight, nSlots, bSkinBack);
        m_wnd->SetListPtr(&m_groups);
        if (!m_wnd->Create(nullptr, u"GROUPWND", WS_CHILD | WS_VISIBLE, place, &m_parent, 4444))
            return false;
        m_parent.m_hWatched = m_wnd->GetSafeHwnd();
        m_wnd->MakeInitWnd(m_skin->dc(), CRect(place));
        Repaint();
        return true;
    }
    void Repaint() {
        m_wnd->Invalidate();
        m_wnd->UpdateWindow();
    }
    int Copies() { return platform::WindowCopyCount(m_wnd->GetSafeHwnd()); }
    COLORREF At(int x, int y) { return Shown(m_wnd->GetSafeHwnd(), x, y); }
    void Tap(int x, int y) {
        m_wnd->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        m_wnd->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    void Key(UINT key) { m_wnd->SendMessage(WM_KEYDOWN, key, 1); }

    // The picture the selector must show, built from the skin, the arrow files, the band and
    // the labels at the given rim points, independently of the window's own drawing.
    struct Expect {
        bool bBand = true;             // a band under the centre
        bool bSkin = true;             // the skin and the arrows, else plain white
        std::size_t nBandBefore = 0;   // the label the band is drawn just before
        std::optional<CRect> rcBand{}; // where it lies; else the centred label's rows
    };
    // Paints the expected picture of the window into dc.
    void PaintExpected(CDC& dc, const std::vector<Placement>& labels, const Expect& expect);
    std::vector<Mismatch> CompareWith(const std::vector<Placement>& labels, Expect expect);
    std::vector<Mismatch> CompareWith(const std::vector<Placement>& labels) {
        return CompareWith(labels, Expect{});
    }

    std::optional<TestSelector> m_wnd;
    CGetGroupIconInfo m_groups;
};

} // namespace mirvanetest
