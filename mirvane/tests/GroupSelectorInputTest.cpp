#include "GroupSelectorSupport.h"

namespace {

using namespace mirvanetest;

using SelectorInput = GroupSelectorTest;

constexpr POINT kUpperArrow{110, 5};
constexpr POINT kLowerArrow{110, 100};

TEST_F(SelectorInput, LowerArrowTurnsToTheNextGroupAndTellsTheParent) {
    AddNumberedGroups(4);
    ASSERT_TRUE(Open());
    int before = Copies();
    Tap(kLowerArrow.x, kLowerArrow.y);
    // Group 1 has slot 3 and 11 programs.
    ASSERT_EQ(m_parent.m_notices, (std::vector<Notice>{{0x1105, 11, 3}}));
    EXPECT_EQ(m_parent.m_notices[0].nCopiesSeen, before + 5) << "told after the five frames";
    EXPECT_EQ(m_wnd->CurGroup(), 1);
    EXPECT_EQ(m_wnd->GetCurGroup().PK, 3);
    EXPECT_EQ(m_groups.m_nCurIndex, 1) << "the list's cursor rests on the new group";
}

TEST_F(SelectorInput, UpperArrowTurnsToThePreviousGroupAndTellsTheParent) {
    AddNumberedGroups(4);
    ASSERT_TRUE(Open());
    Tap(kUpperArrow.x, kUpperArrow.y);
    // From the first group back to the last: slot 7, 13 programs.
    ASSERT_EQ(m_parent.m_notices, (std::vector<Notice>{{0x1106, 13, 7}}));
    EXPECT_EQ(m_wnd->CurGroup(), 3);
    EXPECT_EQ(std::u16string(m_wnd->GetCurGroup().GroupName), u"Group 3");
    EXPECT_EQ(m_groups.m_nCurIndex, 3) << "the list's cursor rests on the new group";
}

TEST_F(SelectorInput, ArrowKeysActAsTheArrows) {
    AddNumberedGroups(3);
    ASSERT_TRUE(Open());
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    EXPECT_EQ(m_wnd->CurGroup(), 2);
    Key(VK_RIGHT);
    EXPECT_EQ(m_wnd->CurGroup(), 0) << "up from the last group wraps to the first";
    Key(VK_LEFT);
    EXPECT_EQ(m_wnd->CurGroup(), 2) << "down from the first group wraps to the last";
    EXPECT_EQ(
        m_parent.m_notices,
        (std::vector<Notice>{{0x1105, 11, 3}, {0x1105, 12, 5}, {0x1105, 10, 1}, {0x1106, 12, 5}}));
    int before = Copies();
    Key(VK_UP);
    Key(VK_RETURN);
    EXPECT_EQ(Copies(), before) << "other keys do not turn";
    EXPECT_EQ(m_parent.m_notices.size(), 4u);
}

TEST_F(SelectorInput, TapsOffTheArrowsDoNothing) {
    AddNumberedGroups(4);
    ASSERT_TRUE(Open());
    int before = Copies();
    for (POINT p : {POINT{50, 55}, POINT{110, 15}, POINT{110, 94}, POINT{102, 5}, POINT{118, 5}})
        Tap(p.x, p.y);
    EXPECT_EQ(Copies(), before);
    EXPECT_TRUE(m_parent.m_notices.empty());
    EXPECT_EQ(m_wnd->CurGroup(), 0);
}

TEST_F(SelectorInput, DoubleTapTurnsOnceMore) {
    AddNumberedGroups(5);
    ASSERT_TRUE(Open());
    m_wnd->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kLowerArrow.x, kLowerArrow.y));
    m_wnd->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(kLowerArrow.x, kLowerArrow.y));
    m_wnd->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(kLowerArrow.x, kLowerArrow.y));
    m_wnd->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(kLowerArrow.x, kLowerArrow.y));
    EXPECT_EQ(m_wnd->CurGroup(), 2);
    EXPECT_EQ(m_parent.m_notices, (std::vector<Notice>{{0x1105, 11, 3}, {0x1105, 12, 5}}));
}

TEST_F(SelectorInput, TurnsAskedByTheParentSendNothing) {
    AddNumberedGroups(4);
    ASSERT_TRUE(Open());
    m_wnd->RotateDnList(5);
    m_wnd->RotateUpList(5);
    m_wnd->RotateUpList(5);
    EXPECT_TRUE(m_parent.m_notices.empty());
    EXPECT_EQ(m_wnd->CurGroup(), 1);
}

TEST_F(SelectorInput, OneGroupCannotTurn) {
    AddNumberedGroups(1);
    ASSERT_TRUE(Open());
    int before = Copies();
    Tap(kUpperArrow.x, kUpperArrow.y);
    Tap(kLowerArrow.x, kLowerArrow.y);
    m_wnd->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(kLowerArrow.x, kLowerArrow.y));
    Key(VK_LEFT);
    Key(VK_RIGHT);
    EXPECT_EQ(Copies(), before);
    EXPECT_TRUE(m_parent.m_notices.empty());
    EXPECT_EQ(m_wnd->CurGroup(), 0);
    EXPECT_EQ(m_wnd->GetCurGroup().PK, 1);
}

TEST_F(SelectorInput, NoGroupsCannotTurnAndHaveNoCurrentGroup) {
    ASSERT_TRUE(Open());
    int before = Copies();
    Tap(kUpperArrow.x, kUpperArrow.y);
    Tap(kLowerArrow.x, kLowerArrow.y);
    Key(VK_LEFT);
    Key(VK_RIGHT);
    EXPECT_EQ(Copies(), before);
    EXPECT_TRUE(m_parent.m_notices.empty());
    GROUPICONDATA none = m_wnd->GetCurGroup();
    EXPECT_EQ(none.PK, 0);
    EXPECT_EQ(none.GroupName[0], u'\0');
}

TEST_F(SelectorInput, WindowWithoutAListIsInert) {
    m_wnd.emplace(20, 5, 1);
    ASSERT_TRUE(m_wnd->Create(nullptr, u"GROUPWND", WS_CHILD | WS_VISIBLE, kSelectorPlace,
                              &m_parent, 4444));
    m_wnd->MakeInitWnd(m_skin->dc(), CRect(kSelectorPlace));
    Tap(kLowerArrow.x, kLowerArrow.y);
    Key(VK_RIGHT);
    m_wnd->UpdateDrawList(3);
    EXPECT_TRUE(m_parent.m_notices.empty());
    EXPECT_EQ(m_wnd->GetCurGroup().PK, 0);
}

TEST_F(SelectorInput, PositionsStayAsCountedUntilTheListIsRedrawn) {
    ASSERT_TRUE(Open());
    AddNumberedGroups(3);
    // Created over an empty list: no rim positions, yet the groups turn and are told.
    Tap(kLowerArrow.x, kLowerArrow.y);
    EXPECT_EQ(m_wnd->Slots(), 0);
    EXPECT_EQ(m_parent.m_notices, (std::vector<Notice>{{0x1105, 11, 3}}));
    auto found = CompareWith({}, {.bBand = false});
    EXPECT_TRUE(found.empty()) << Describe(found);
    m_wnd->UpdateDrawList(3);
    EXPECT_EQ(m_wnd->Slots(), 3);
}

// --- Faults --------------------------------------------------------------------------------

TEST_F(SelectorInput, SlotCountIsClampedToTheStripsHeld) {
    AddNumberedGroups(12);
    m_wnd.emplace(20, 12, 1);
    EXPECT_EQ(m_wnd->MaxSlots(), 8);
    m_wnd->SetListPtr(&m_groups);
    ASSERT_TRUE(m_wnd->Create(nullptr, u"GROUPWND", WS_CHILD | WS_VISIBLE, kSelectorPlace,
                              &m_parent, 4444));
    EXPECT_EQ(m_wnd->Slots(), 8);
    EXPECT_EQ(m_wnd->Strip(7), CRect(0, 91, 103, 104)) << "eight strips of 110 / 8 rows";
    TestSelector none(20, 0, 1);
    EXPECT_EQ(none.MaxSlots(), 1);
}

TEST_F(SelectorInput, SurfacesThatCannotBeMadeRefuseTheWindow) {
    AddNumberedGroups(3);
    // Too narrow for a band: the wheel is 5 pixels wide, the band would be -5.
    EXPECT_FALSE(Open(20, 5, 1, RECT{0, 13, 20, 123}));
    EXPECT_EQ(m_wnd->GetSafeHwnd(), nullptr);
    // A band of no height.
    EXPECT_FALSE(Open(0, 5, 1));
    EXPECT_EQ(m_wnd->GetSafeHwnd(), nullptr);
    // A refused window keeps no surface and draws nothing when asked.
    m_wnd.reset();
    int live = platform::LiveGdiObjectCount();
    EXPECT_FALSE(Open(0, 5, 1));
    EXPECT_EQ(platform::LiveGdiObjectCount(), live);
    m_wnd->MakeInitWnd(m_skin->dc(), CRect(kSelectorPlace));
    m_wnd->RotateUpList(5);
    m_wnd->UpdateDrawList(3);
    EXPECT_EQ(platform::LiveGdiObjectCount(), live);
}

TEST_F(SelectorInput, DestroyingTheWindowFreesItsSurfaces) {
    AddNumberedGroups(6);
    int live = platform::LiveGdiObjectCount();
    ASSERT_TRUE(Open());
    m_wnd->RotateUpList(5);
    EXPECT_GT(platform::LiveGdiObjectCount(), live);
    m_wnd.reset();
    EXPECT_EQ(platform::LiveGdiObjectCount(), live);
}

} // namespace
