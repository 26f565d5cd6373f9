#include "Selector.h"

#include "RimTrig.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

using namespace mirvanetest;

constexpr POINT kUpper{110, 5}, kLower{110, 100};

TEST(LabelFit, LongNamesAreCutByTheirAverageCharacterWidth) {
    for (auto [width, chars, limit, kept] : {std::array{120, 20, 83, 14},
                                             {83, 20, 83, 20},
                                             {84, 12, 83, 12},
                                             {500, 2, 83, 1},
                                             {10, 3, 1, 0},
                                             {19, 10, 0, 0},
                                             {5, 10, 1, 10}})
        EXPECT_EQ(mirvane::FittedLength(width, chars, limit), kept) << width << "/" << chars;
}

// The rim's sine and cosine stay within an ulp of the C library's over several turns either
// way, and so put every label where the library's would, for any radius the wheel can have.
TEST(RimTrig, WithinAnUlpOfTheLibraryAndTheSamePixels) {
    auto ulps = [](double a, double b) {
        return a == b ? 0
                      : std::abs(std::bit_cast<std::int64_t>(a) - std::bit_cast<std::int64_t>(b));
    };
    std::int64_t worst = 0;
    int moved = 0;
    for (int i = -400000; i <= 400000; ++i) {
        const double x = i * (7.0 / 400000) + 1e-7 * (i % 7);
        worst = std::max(
            {worst, ulps(mirvane::RimSin(x), std::sin(x)), ulps(mirvane::RimCos(x), std::cos(x))});
        for (int radius = 1; radius <= 160; radius += 9)
            moved += std::trunc(radius * mirvane::RimSin(x)) != std::trunc(radius * std::sin(x)) ||
                     std::trunc(radius * mirvane::RimCos(x)) != std::trunc(radius * std::cos(x));
    }
    EXPECT_LE(worst, 1);
    EXPECT_EQ(moved, 0);
    EXPECT_EQ(std::tuple(mirvane::RimSin(0), mirvane::RimCos(0)), std::tuple(0.0, 1.0));
}

using Selector = SelectorTest;

// Pictures at rest, also after turns and with fewer groups than positions.
TEST_F(Selector, PicturesAtRestMatchTheSkinArrowsBandAndLabels) {
    const std::vector<std::u16string> words{u"etc.",  u"Games",  u"Office", u"Internet", u"Media",
                                            u"Tools", u"System", u"Travel", u"Music",    u"Photos"};
    const std::vector<std::u16string> longName{u"Communications and Networking", u"Games"};
    enum Act { kNone, kTurnDown, kTurnUpTwice, kTurnUpAndDropTwo };
    struct Row {
        int nGroups;
        std::vector<std::u16string> names;
        int nSlots, nBand, bSkinBack;
        Act act;
        int nCurrent; // afterwards
    } table[] = {
        {10, words, 5, 20, 1, kNone, 0},
        {10, {}, 5, 4, 0, kNone, 0},
        {10, {}, 5, 20, 1, kTurnDown, 9},
        {10, {}, 5, 20, 1, kTurnUpTwice, 2},
        {3, words, 5, 20, 1, kNone, 0},
        {3, longName, 5, 20, 1, kNone, 0},
        {1, {std::u16string(259, u'W')}, 5, 20, 1, kNone, 0},
        {0, {}, 5, 20, 1, kNone, 0},
        {4, words, 5, 20, 1, kTurnUpAndDropTwo, 0},
        {4, {}, 2, 20, 1, kNone, 0},
        {12, {}, 6, 20, 1, kTurnDown, 11},
        {3, {}, 1, 20, 1, kTurnDown, 2},
    };
    for (const Row& row : table) {
        AddGroups(row.nGroups, row.names);
        ASSERT_TRUE(Open(row.nBand, row.nSlots, row.bSkinBack));
        if (row.act == kTurnDown)
            m_wnd->RotateDnList(5);
        if (row.act == kTurnUpTwice)
            m_wnd->RotateUpList(3), m_wnd->RotateUpList(0);
        if (row.act == kTurnUpAndDropTwo) {
            m_wnd->RotateUpList(5);
            m_groups.m_List.RemoveTail(), m_groups.m_List.RemoveTail();
            m_wnd->UpdateDrawList(2);
        }
        Repaint(*m_wnd);
        const int nGroups = m_groups.m_List.GetCount();
        EXPECT_EQ(Compare(Rim(nGroups, row.nSlots, row.nCurrent), row.bSkinBack), "")
            << "row " << (&row - table);
    }
}

TEST_F(Selector, EveryFrameOfATurnMovesTheLabelsUnderTheStillBand) {
    AddGroups(5, {u"etc.", u"Games", u"Office", u"Tools", u"Media"});
    ASSERT_TRUE(Open());
    const CRect band = m_wnd->m_rcBand;
    for (bool bDown : {true, false}) {
        const int nCurrent = m_wnd->m_nCurGroup;
        FrameRecorder frames(*m_wnd, 118, 110);
        bDown ? m_wnd->RotateDnList(5) : m_wnd->RotateUpList(5);
        ASSERT_EQ(frames.areas, std::vector<RECT>(5, RECT{0, 0, 118, 110}));
        for (int k = 1; k <= 5; ++k) {
            Surface expected(118, 110);
            PaintExpected(expected.dc, Rim(5, 5, nCurrent, k, bDown), true, 4, band);
            EXPECT_EQ(Diff(frames.frames[k - 1]->dc, expected.dc, 118, 110), "")
                << (bDown ? "down" : "up") << " frame " << k;
        }
    }
    EXPECT_EQ(m_wnd->m_nCurGroup, 0);
}

// The arrows (tapped twice too) and the left and right keys turn by five frames and tell the
// parent after the last; other taps and keys, and turns the view asks for, tell nothing.
// Fewer than two groups, or no list, cannot turn.
TEST_F(Selector, TapsAndKeysTurnAndTellTheParentAfterTheLastFrame) {
    const std::vector<Notice> told{{0x1105, 11, 3}, {0x1106, 10, 1}, {0x1106, 13, 7},
                                   {0x1105, 10, 1}, {0x1106, 13, 7}, {0x1105, 10, 1}};
    struct Row {
        int nGroups; // -1: no list
        std::vector<Notice> notices;
        int nCopies, nPK;
    } table[] = {{-1, {}, 0, 0}, {0, {}, 0, 0}, {1, {}, 4, 1}, {4, told, 34, 1}};
    int before = 0;
    for (const Row& row : table) {
        AddGroups(row.nGroups);
        ASSERT_TRUE(Open(20, 5, 1, kSelectorPlace, row.nGroups >= 0));
        before = Copies();
        Tap(kLower.x, kLower.y);
        Tap(kUpper.x, kUpper.y);
        Tap(kUpper.x, kUpper.y);
        Key(*m_wnd, VK_RIGHT);
        Key(*m_wnd, VK_LEFT);
        m_wnd->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(kLower.x, kLower.y));
        for (POINT p : {POINT{50, 55}, {110, 15}, {110, 94}, {102, 5}, {118, 5}})
            Tap(p.x, p.y);
        Key(*m_wnd, VK_UP);
        Key(*m_wnd, VK_RETURN);
        EXPECT_EQ(m_parent.m_notices, row.notices) << row.nGroups << " groups";
        EXPECT_EQ(m_wnd->GetCurGroup().PK, row.nPK) << row.nGroups << " groups";
        EXPECT_EQ(m_groups.m_nCurIndex, 0) << "the list's cursor rests on the current group";
        m_wnd->RotateDnList(3);
        m_wnd->RotateUpList(0);
        EXPECT_EQ(Copies(), before + row.nCopies) << "a turn shows at least its last picture";
    }
    EXPECT_EQ(m_parent.m_copiesSeen[0], before + 5) << "told after the last frame";
    EXPECT_EQ(m_parent.m_notices, told) << "turns the view asks for are not told";
}

TEST_F(Selector, SlotsAreCountedAtTheStartClampedAndSurfacesMadeOrRefusedWhole) {
    const int live = platform::LiveGdiObjectCount();
    ASSERT_TRUE(Open());
    AddGroups(3);
    Tap(kLower.x, kLower.y);
    EXPECT_EQ(m_parent.m_notices, (std::vector<Notice>{{0x1105, 11, 3}}));
    EXPECT_EQ(Compare({}), "") << "positions stay as counted until the list is redrawn";
    m_wnd->UpdateDrawList(9);
    EXPECT_EQ(m_wnd->m_nSlots, 5) << "never more than the largest number of positions";
    EXPECT_EQ(TestSelector(20, 0, 1).m_nMaxSlots, 1);
    AddGroups(12);
    ASSERT_TRUE(Open(20, 12, 1));
    EXPECT_EQ(m_wnd->m_nSlots, 8);
    m_wnd->RotateUpList(5);
    m_wnd.reset();
    EXPECT_EQ(platform::LiveGdiObjectCount(), live) << "destroyed, the window frees its surfaces";
    // Too narrow for a band, or a band of no height: refused, keeping nothing, drawing nothing.
    for (auto [nBand, place] : {std::pair(20, RECT{0, 13, 20, 123}), {0, kSelectorPlace}}) {
        EXPECT_FALSE(Open(nBand, 5, 1, place));
        m_wnd->MakeInitWnd(m_skin.dc, CRect(kSelectorPlace));
        m_wnd->RotateUpList(5);
        m_wnd->UpdateDrawList(3);
        EXPECT_EQ(platform::LiveGdiObjectCount(), live) << nBand;
    }
}

} // namespace
