#include "WindowTest.h"

#include <mirvane/CQuickLWnd.h>

#include <optional>

namespace {

using namespace mirvanetest;

const CRect kBar(10, 163, 85, 288);

constexpr COLORREF LeftColor(int i) {
    return RGB(10 + 16 * i, 200, 30);
}
constexpr COLORREF RightColor(int i) {
    return RGB(200, 10 + 16 * i, 90);
}

class QuickLaunch : public WindowTest {
protected:
    void TearDown() override {
        Keep(0);
        WindowTest::TearDown();
    }
    // Entry i is \Windows\Prog<i>.exe with a 16 x 16 icon of its two colours.
    void Add(int nCount, bool bIcon = true) {
        for (int k = 0; k < nCount; ++k) {
            QLICONDATA entry{.PK = m_list.m_List.GetCount()};
            const std::string path = "\\Windows\\Prog" + std::to_string(entry.PK) + ".exe";
            std::copy(path.begin(), path.end(), entry.QLPath);
            if (bIcon)
                entry.hIcon = TwoToneIcon(16, LeftColor(entry.PK), RightColor(entry.PK));
            m_list.m_List.AddTail(entry);
        }
    }
    void Keep(int n) {
        while (m_list.m_List.GetCount() > n)
            DestroyIcon(m_list.m_List.RemoveTail().hIcon);
    }
    bool Open(CRect place = kBar) {
        m_wnd.emplace();
        return WindowTest::Open(*m_wnd, &m_list, u"QLWND", place, 5555);
    }
    // The bar at rest: the skin, the icons of the first n entries drawn at their cells + (2, 2),
    // then the given fills.
    std::string CompareWithRest(int n, const std::vector<std::pair<RECT, COLORREF>>& fills = {}) {
        Surface expected(75, 125);
        expected.dc.BitBlt(0, 0, 75, 125, &m_skin.dc, kBar.left, kBar.top, SRCCOPY);
        for (int i = 0; i < n; ++i) {
            const int x = 25 * (i % 3) + 2, y = 25 * (i / 3) + 2;
            expected.dc.FillSolidRect(x, y, 8, 16, LeftColor(i));
            expected.dc.FillSolidRect(x + 8, y, 8, 16, RightColor(i));
        }
        for (auto [rc, colour] : fills)
            expected.dc.FillSolidRect(&rc, colour);
        return Diff(Snapshot(*m_wnd, 75, 125)->dc, expected.dc, 75, 125);
    }

    std::optional<CQuickLWnd> m_wnd;
    CGetQLIconInfo m_list;
};

// Drawn at the start and by DrawList after the list changed, the picture at rest is also the
// look a press returns to.
TEST_F(QuickLaunch, RestShowsEachIconInItsCellOverTheSkin) {
    Add(16);
    ASSERT_TRUE(Open());
    for (int n : {16, 15, 5, 0}) {
        Keep(n);
        const int before = Copies(*m_wnd);
        m_wnd->DrawList();
        EXPECT_EQ(Copies(*m_wnd), before + 1);
        EXPECT_EQ(CompareWithRest(std::min(n, 15)), "") << n << " entries";
        Press(*m_wnd, 5, 5);
        Release(*m_wnd, 30, 30);
        EXPECT_EQ(CompareWithRest(std::min(n, 15)), "") << n << " entries, after a press";
    }
}

TEST_F(QuickLaunch, OnlyAPressAndReleaseInOneOccupiedCellStarts) {
    Add(3);
    Add(1, false); // without an icon the skin shows, yet it starts
    ASSERT_TRUE(Open());
    // Released in another cell or off the bar, pressed on an empty cell or between cells.
    const POINT misses[][2] = {{{5, 5}, {30, 5}},   {{30, 5}, {-40, 300}}, {{30, 30}, {30, 30}},
                               {{22, 5}, {22, 5}},  {{5, 22}, {5, 22}},    {{72, 5}, {72, 5}},
                               {{20, 20}, {20, 20}}};
    for (auto [press, release] : misses) {
        Press(*m_wnd, press.x, press.y);
        EXPECT_EQ(GetCapture(), m_wnd->GetSafeHwnd()) << press.x << "," << press.y;
        Release(*m_wnd, release.x, release.y);
        EXPECT_EQ(GetCapture(), nullptr);
    }
    EXPECT_TRUE(m_started.empty());
    EXPECT_EQ(CompareWithRest(3), "") << "the misses leave the bar at rest";
    FrameRecorder copies(*m_wnd, 75, 125);
    Press(*m_wnd, 55, 10);
    EXPECT_EQ(copies.areas, (std::vector<RECT>{{50, 0, 70, 20}})) << "only the cell is copied";
    // The 16 x 16 icon fills the 20 x 20 cell: its left half the cell's left ten columns.
    EXPECT_EQ(
        CompareWithRest(3, {{{50, 0, 60, 20}, LeftColor(2)}, {{60, 0, 70, 20}, RightColor(2)}}),
        "");
    EXPECT_TRUE(m_started.empty()) << "nothing starts on the press";
    Release(*m_wnd, 55, 10);
    EXPECT_EQ(copies.areas.size(), 2u);
    EXPECT_EQ(CompareWithRest(3), "");
    Press(*m_wnd, 5, 30);
    Release(*m_wnd, 6, 31);
    EXPECT_EQ(m_started,
              (std::vector<std::u16string>{u"\\Windows\\Prog2.exe", u"\\Windows\\Prog3.exe"}));
}

// Lines wait for the next copy; the window frees its surfaces, and one without them is refused.
TEST_F(QuickLaunch, DrawLineDrawsTwoTonesOnTheNextCopyAndSurfacesAreFreed) {
    Add(3);
    const int live = platform::LiveGdiObjectCount();
    ASSERT_TRUE(Open());
    Press(*m_wnd, 5, 5);
    Release(*m_wnd, 5, 5);
    m_wnd->DrawLine(CPoint(5, 60), CPoint(40, 60), 1000);
    m_wnd->DrawLine(CPoint(60, 30), CPoint(60, 50), 7);
    EXPECT_EQ(CompareWithRest(3), "");
    Repaint(*m_wnd);
    // The dark tone along the points, the light one below a line of kind 1000, else beside it.
    const COLORREF dark = RGB(50, 21, 171), light = RGB(178, 149, 171);
    EXPECT_EQ(CompareWithRest(3, {{{5, 60, 40, 61}, dark},
                                  {{5, 61, 40, 62}, light},
                                  {{60, 30, 61, 50}, dark},
                                  {{61, 30, 62, 50}, light}}),
              "");
    m_wnd.reset();
    EXPECT_EQ(platform::LiveGdiObjectCount(), live);
    EXPECT_FALSE(Open(CRect(10, 163, 10, 163)));
    m_wnd->DrawList();
    m_wnd->DrawLine(CPoint(0, 0), CPoint(5, 5), 1000);
    EXPECT_EQ(platform::LiveGdiObjectCount(), live) << "nothing half made stays";
}

} // namespace
