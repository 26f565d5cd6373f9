#pragma once

#include "WindowTest.h"

#include <mirvane/CGroupListWnd.h>

#include <platform/Device.h>

#include <algorithm>
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

// The five labels at rest on the main screen's 118 x 110 selector.
inline std::vector<Label> RestingFive(int nCurrent, int nGroups) {
    auto at = [&](int offset) { return (nCurrent + offset + nGroups) % nGroups; };
    return {{at(0), {103, 55}, Hang::Centred},
            {at(1), {92, 87}, Hang::Above},
            {at(2), {64, 107}, Hang::Above},
            {at(-1), {92, 23}, Hang::Below},
            {at(-2), {64, 3}, Hang::Below}};
}

class SelectorTest : public WindowTest {
protected:
    void TearDown() override {
        m_wnd.reset();
        WindowTest::TearDown();
    }
    // Group i has slot 2i + 1 and 10 + i programs, so a notice with a wrong field shows.
    void AddGroups(const std::vector<std::u16string>& names) {
        for (const auto& name : names) {
            const int i = m_groups.m_List.GetCount();
            GROUPICONDATA group;
            group.PK = 2 * i + 1;
            group.IconCount = 10 + i;
            std::copy_n(name.data(), std::min<std::size_t>(name.size(), 259), group.GroupName);
            m_groups.m_List.AddTail(group);
        }
    }
    void AddNumbered(int nCount) {
        for (int i = 0; i < nCount; ++i) {
            const std::string s = "Group " + std::to_string(i);
            AddGroups({std::u16string(s.begin(), s.end())});
        }
    }
    bool Open(int nBandHeight = 20, int nSlots = 5, int bSkinBack = 1, RECT place = kSelectorPlace,
              bool bList = true) {
        m_wnd.emplace(nBandHeight, nSlots, bSkinBack);
        m_wnd->SetListPtr(bList ? &m_groups : nullptr);
        if (!m_wnd->Create(nullptr, u"GROUPWND", WS_CHILD | WS_VISIBLE, place, &m_parent, 4444))
            return false;
        m_parent.m_hWatched = *m_wnd;
        m_wnd->MakeInitWnd(m_skin.dc, CRect(place));
        Repaint(*m_wnd);
        return true;
    }
    void Tap(int x, int y) {
        Press(*m_wnd, x, y);
        Release(*m_wnd, x, y);
    }
    int Copies() { return platform::WindowCopyCount(*m_wnd); }

    // Paints what the window must show, from the skin, the arrow files, the band laid just
    // before label nBandBefore (at rcBand, or under the centred label) and the labels.
    void PaintExpected(CDC& dc, const std::vector<Label>& labels, bool bSkin = true,
                       std::size_t nBandBefore = 0, std::optional<CRect> rcBand = {}) {
        dc.SetBkMode(TRANSPARENT);
        if (bSkin) {
            dc.BitBlt(0, 0, 118, 110, &m_skin.dc, 0, 13, SRCCOPY);
            for (int arrow : {0, 1}) {
                const std::u16string file = platform::ModuleDirectory() + u"\\Skin\\Arrow" +
                                            (arrow ? u"Down" : u"Up") + u".BMP";
                CBitmap bitmap;
                if (!bitmap.Attach(reinterpret_cast<HGDIOBJ>(SHLoadDIBitmap(file.c_str()))))
                    continue;
                Surface picture(15, 15);
                picture.dc.SelectObject(&bitmap);
                for (int y = 0; y < 15; ++y)
                    for (int x = 0; x < 15; ++x)
                        if (COLORREF c = picture.dc.GetPixel(x, y); c != RGB(255, 0, 0))
                            dc.SetPixel(103 + x, arrow * 95 + y, c);
            }
        } else {
            dc.FillSolidRect(0, 0, 118, 110, RGB(255, 255, 255));
        }
        auto text = [&](const Label& label) {
            const GROUPICONDATA group = m_groups.GetIcon(label.nGroup);
            return CString(std::u16string_view(
                group.GroupName, std::find(group.GroupName, std::end(group.GroupName), 0)));
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
            // A name too wide for the wheel loses as many characters as its excess holds.
            const int width = dc.GetTextExtent(name).cx, n = name.GetLength();
            if (width > 83)
                name = name.Left(n - (width - 83) / (width / n));
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
};

} // namespace mirvanetest
