#include "Selector.h"

#include "LabelFit.h"
#include "RimWalk.h"

#include <cmath>
#include <functional>

namespace {

using namespace mirvanetest;
using mirvane::kPi;
using mirvane::Walk;

constexpr POINT kUpper{110, 5}, kLower{110, 100};

// The walks the pictures below do not show: few slots, none, and a turn of six.
TEST(RimWalk, VisitsDrawTheNearestGroupsAtTheirAngles) {
    struct Row {
        int nGroups, nSlots;
        bool bTurned;                               // the last frame of a forward turn
        std::vector<std::pair<int, double>> visits; // visit number, degrees
    } table[] = {
        {4, 2, false, {{0, 0}, {1, -90}}}, // -90 is not past the bottom
        {4, 0, false, {}},
        {12, 6, true, {{0, -30}, {1, -60}, {2, -90}, {9, 60}, {10, 30}, {11, 0}}},
        {3, 1, true, {{2, 0}}},
    };
    for (const Row& row : table) {
        const double offset =
            row.bTurned ? mirvane::FrameOffset(row.nSlots, 5, 5, Walk::Forward) : 0;
        mirvane::RimWalk rim(row.nGroups, row.nSlots, offset, Walk::Forward);
        std::vector<std::pair<int, double>> drawn;
        double last = 1;
        for (int j = 0; j < row.nGroups; ++j)
            if (auto angle = rim.Visit())
                drawn.emplace_back(j, std::round(*angle * 180 / kPi * 1e6) / 1e6), last = *angle;
        EXPECT_EQ(drawn, row.visits) << row.nGroups << " groups, " << row.nSlots << " slots";
        if (row.bTurned)
            EXPECT_EQ(last, 0.0) << "the turned-in label stands exactly at the centre";
    }
}

TEST(LabelFit, LongNamesAreCutByTheirAverageCharacterWidth) {
    for (auto [width, chars, limit, kept] : {std::array{120, 20, 83, 14},
                                             {83, 20, 83, 20},
                                             {84, 12, 83, 12},
                                             {0, 0, 83, 0},
                                             {500, 2, 83, 1},
                                             {1000, 1, 1, 1},
                                             {10, 3, 1, 0},
                                             {19, 10, 0, 0},
                                             {5, 10, 1, 10}})
        EXPECT_EQ(mirvane::FittedLength(width, chars, limit), kept) << width << "/" << chars;
}

using Selector = SelectorTest;

TEST_F(Selector, PicturesAtRestMatchTheSkinArrowsBandAndLabels) {
    const std::vector<Label> three{
        {0, {103, 55}, Hang::Centred}, {1, {75, 102}, Hang::Above}, {2, {75, 8}, Hang::Below}};
    const std::vector<Label> two{{0, {103, 55}, Hang::Centred}, {1, {48, 109}, Hang::Above}};
    const std::vector<std::u16string> ten{u"a", u"b", u"c", u"d", u"e",
                                          u"f", u"g", u"h", u"i", u"j"};
    const std::vector<std::u16string> words{u"etc.",  u"Games",  u"Office", u"Internet", u"Media",
                                            u"Tools", u"System", u"Travel", u"Music",    u"Photos"};
    enum Act { kNone, kTurnDown, kTurnUpTwice, kTurnUpAndDropTwo };
    struct Row {
        std::vector<std::u16string> names;
        int nBand, bSkinBack;
        Act act;
        std::vector<Label> labels;
    } table[] = {
        {words, 20, 1, kNone, RestingFive(0, 10)},
        {ten, 4, 0, kNone, RestingFive(0, 10)},
        {ten, 20, 1, kTurnDown, RestingFive(9, 10)},
        {ten, 20, 1, kTurnUpTwice, RestingFive(2, 10)},
        {{u"etc.", u"Games", u"Office"}, 20, 1, kNone, three},
        {{u"Communications and Networking", u"Games", u"Office"}, 20, 1, kNone, three},
        {{std::u16string(259, u'W')}, 20, 1, kNone, {{0, {103, 55}, Hang::Centred}}},
        {{}, 20, 1, kNone, {}},
        {{u"etc.", u"Games", u"Office", u"Tools"}, 20, 1, kTurnUpAndDropTwo, two},
    };
    for (const Row& row : table) {
        m_groups.m_List.RemoveAll();
        AddGroups(row.names);
        ASSERT_TRUE(Open(row.nBand, 5, row.bSkinBack));
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
        EXPECT_EQ(Compare(row.labels, row.bSkinBack), "") << "row " << (&row - table);
    }
}

// Frame k of a turn of five groups on five positions: every label k fifths of a position on.
std::vector<Label> TurnFrame(int nCurrent, int k, bool bDown) {
    std::vector<Label> labels;
    for (int j = 0; j < 5; ++j) {
        double angle = (bDown ? -1 : 1) * (k * 3.1415926 / 25 + j * 3.1415926 / 5);
        if (std::fabs(angle) > 1.5707963)
            angle -= (bDown ? -1 : 1) * 3.1415926;
        labels.push_back({(nCurrent + (bDown ? j : -j) + 5) % 5,
                          {48 + static_cast<LONG>(std::trunc(55 * std::cos(angle))),
                           55 - static_cast<LONG>(std::trunc(55 * std::sin(angle)))},
                          std::fabs(angle) < 1e-9 ? Hang::Centred
                          : angle > 0             ? Hang::Below
                                                  : Hang::Above});
    }
    return labels;
}

TEST_F(Selector, EveryFrameOfATurnMovesTheLabelsUnderTheStillBand) {
    AddGroups({u"etc.", u"Games", u"Office", u"Tools", u"Media"});
    ASSERT_TRUE(Open());
    const CRect band = m_wnd->m_rcBand;
    for (bool bDown : {true, false}) {
        const int nCurrent = m_wnd->m_nCurGroup;
        FrameRecorder frames(*m_wnd, 118, 110);
        bDown ? m_wnd->RotateDnList(5) : m_wnd->RotateUpList(5);
        ASSERT_EQ(frames.areas, std::vector<RECT>(5, RECT{0, 0, 118, 110}));
        for (int k = 1; k <= 5; ++k) {
            Surface expected(118, 110);
            PaintExpected(expected.dc, TurnFrame(nCurrent, k, bDown), true, 4, band);
            EXPECT_EQ(Diff(frames.frames[k - 1]->dc, expected.dc, 118, 110), "")
                << (bDown ? "down" : "up") << " frame " << k;
        }
    }
    EXPECT_EQ(m_wnd->m_nCurGroup, 0);
}

TEST_F(Selector, TapsAndKeysTurnAndTellTheParentAfterTheLastFrame) {
    AddNumbered(4);
    ASSERT_TRUE(Open());
    const int before = Copies();
    Tap(kLower.x, kLower.y);
    Tap(kUpper.x, kUpper.y);
    Tap(kUpper.x, kUpper.y);
    Key(*m_wnd, VK_RIGHT);
    Key(*m_wnd, VK_LEFT);
    m_wnd->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(kLower.x, kLower.y));
    for (POINT p : {POINT{50, 55}, POINT{110, 15}, POINT{110, 94}, POINT{102, 5}, POINT{118, 5}})
        Tap(p.x, p.y);
    Key(*m_wnd, VK_UP);
    Key(*m_wnd, VK_RETURN);
    EXPECT_EQ(m_parent.m_notices, (std::vector<Notice>{{0x1105, 11, 3},
                                                       {0x1106, 10, 1},
                                                       {0x1106, 13, 7},
                                                       {0x1105, 10, 1},
                                                       {0x1106, 13, 7},
                                                       {0x1105, 10, 1}}));
    EXPECT_EQ(m_parent.m_copiesSeen[0], before + 5);
    EXPECT_EQ(Copies(), before + 30);
    EXPECT_EQ(m_wnd->GetCurGroup().PK, 1);
    EXPECT_EQ(m_groups.m_nCurIndex, 0) << "the list's cursor rests on the current group";
    m_wnd->RotateDnList(3);
    m_wnd->RotateUpList(0);
    EXPECT_EQ(Copies(), before + 34) << "a turn shows at least its last picture";
    EXPECT_EQ(m_parent.m_notices.size(), 6u) << "turns the view asks for are not told";
}

TEST_F(Selector, FewerThanTwoGroupsOrNoListCannotTurn) {
    for (int nGroups : {1, 0, -1}) {
        m_groups.m_List.RemoveAll();
        AddNumbered(nGroups);
        ASSERT_TRUE(Open(20, 5, 1, kSelectorPlace, nGroups >= 0));
        const int before = Copies();
        Tap(kUpper.x, kUpper.y);
        Tap(kLower.x, kLower.y);
        Key(*m_wnd, VK_LEFT);
        Key(*m_wnd, VK_RIGHT);
        m_wnd->RotateDnList(5);
        EXPECT_EQ(Copies() - before, nGroups == 1 ? 5 : 0) << nGroups;
        EXPECT_TRUE(m_parent.m_notices.empty());
        EXPECT_EQ(m_wnd->GetCurGroup().PK, nGroups == 1 ? 1 : 0);
    }
}

TEST_F(Selector, PositionsStayAsCountedUntilTheListIsRedrawn) {
    ASSERT_TRUE(Open());
    AddNumbered(3);
    Tap(kLower.x, kLower.y);
    EXPECT_EQ(m_parent.m_notices, (std::vector<Notice>{{0x1105, 11, 3}}));
    EXPECT_EQ(Compare({}), "");
    m_wnd->UpdateDrawList(9);
    EXPECT_EQ(m_wnd->m_nSlots, 5) << "never more than the largest number of positions";
}

TEST_F(Selector, SlotsAreClampedAndSurfacesMadeOrRefusedWhole) {
    AddNumbered(12);
    const int live = platform::LiveGdiObjectCount();
    EXPECT_EQ(TestSelector(20, 0, 1).m_nMaxSlots, 1);
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
