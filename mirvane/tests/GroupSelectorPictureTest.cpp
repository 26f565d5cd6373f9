#include "GroupSelectorSupport.h"

namespace {

using namespace mirvanetest;

using SelectorPicture = GroupSelectorTest;

const std::initializer_list<std::u16string> kTenGroups{u"etc.",  u"Games", u"Office", u"Internet",
                                                       u"Media", u"Tools", u"System", u"Travel",
                                                       u"Music", u"Photos"};

TEST_F(SelectorPicture, RestShowsTheFiveNearestGroupsOverTheSkin) {
    AddGroups(kTenGroups);
    ASSERT_TRUE(Open(20, 5, 1));
    auto found = CompareWith(RestingFive(0, 10));
    EXPECT_TRUE(found.empty()) << Describe(found);
}

TEST_F(SelectorPicture, BandIsTheVioletBlendedAt130) {
    AddGroups({u"etc.", u"Games", u"Office"});
    ASSERT_TRUE(Open(20, 5, 1));
    CRect band = m_wnd->Band();
    ASSERT_FALSE(band.IsRectEmpty());
    // Left of the label the band lies on the skin alone.
    for (POINT p : {POINT{10, band.top}, POINT{30, band.bottom - 1}, POINT{50, 55}}) {
        COLORREF skin = SkinColor(p.x, p.y + 13);
        COLORREF expected =
            RGB((130 * 180 + 125 * GetRValue(skin)) >> 8, (130 * 102 + 125 * GetGValue(skin)) >> 8,
                (130 * 242 + 125 * GetBValue(skin)) >> 8);
        EXPECT_EQ(At(p.x, p.y), expected) << p.x << "," << p.y;
    }
    EXPECT_EQ(At(9, 55), SkinColor(9, 55 + 13)) << "the band starts at x 10";
    EXPECT_EQ(At(30, band.top - 1), SkinColor(30, band.top - 1 + 13));
    EXPECT_EQ(At(30, band.bottom), SkinColor(30, band.bottom + 13));
}

TEST_F(SelectorPicture, BandLowerThanTheLabelIsStretchedToIt) {
    AddGroups({u"etc.", u"Games", u"Office"});
    ASSERT_TRUE(Open(4, 5, 1));
    CRect band = m_wnd->Band();
    ASSERT_GT(band.Height(), 4) << "the label must be taller than the band surface";
    for (int y = band.top; y < band.bottom; ++y)
        EXPECT_EQ(At(20, y), Blend(kViolet, SkinColor(20, y + 13), 130)) << y;
}

TEST_F(SelectorPicture, NamesFillTheirWholeRecord) {
    GROUPICONDATA full;
    std::fill(std::begin(full.GroupName), std::end(full.GroupName), u'W');
    m_groups.m_List.AddTail(full);
    ASSERT_TRUE(Open(20, 5, 1));
    auto found = CompareWith({{0, kCentre, Hang::Centred}});
    EXPECT_TRUE(found.empty()) << Describe(found);
}

TEST_F(SelectorPicture, ArrowsKeepTheSkinWhereTheyAreRed) {
    AddGroups({u"etc.", u"Games"});
    ASSERT_TRUE(Open(20, 5, 1));
    // The test arrows are red but for a triangle in rows 3 to 11.
    EXPECT_EQ(At(103, 0), SkinColor(103, 13));
    EXPECT_EQ(At(117, 14), SkinColor(117, 27));
    EXPECT_EQ(At(110, 11), RGB(20, 40, 160)) << "upper arrow's triangle";
    EXPECT_EQ(At(103, 95), SkinColor(103, 108));
    EXPECT_EQ(At(110, 95 + 3), RGB(20, 140, 40)) << "lower arrow's triangle";
    EXPECT_EQ(At(110, 50), SkinColor(110, 63)) << "the column between the arrows is skin";
}

TEST_F(SelectorPicture, ThreeGroupsStandAtZeroAndSixtyDegreesEitherSide) {
    AddGroups({u"etc.", u"Games", u"Office"});
    ASSERT_TRUE(Open(20, 5, 1));
    EXPECT_EQ(m_wnd->Slots(), 3);
    auto found = CompareWith(
        {{0, {103, 55}, Hang::Centred}, {1, {75, 102}, Hang::Above}, {2, {75, 8}, Hang::Below}});
    EXPECT_TRUE(found.empty()) << Describe(found);
}

TEST_F(SelectorPicture, LongNamesAreCutToFitTheWheel) {
    AddGroups({u"Communications and Networking", u"Games", u"Office"});
    ASSERT_TRUE(Open(20, 5, 1));
    SIZE size = m_skin->dc().GetTextExtent(CString(u"Communications and Networking"));
    ASSERT_GT(size.cx, 83) << "the name must be too wide for the wheel";
    auto found = CompareWith(
        {{0, {103, 55}, Hang::Centred}, {1, {75, 102}, Hang::Above}, {2, {75, 8}, Hang::Below}});
    EXPECT_TRUE(found.empty()) << Describe(found);
}

TEST_F(SelectorPicture, TurnEndsOnTheRestingPictureOfTheNewGroup) {
    AddGroups(kTenGroups);
    ASSERT_TRUE(Open(20, 5, 1));
    m_wnd->RotateDnList(5);
    auto found = CompareWith(RestingFive(9, 10));
    EXPECT_TRUE(found.empty()) << "down: " << Describe(found);
    m_wnd->RotateUpList(5);
    m_wnd->RotateUpList(5);
    found = CompareWith(RestingFive(1, 10));
    EXPECT_TRUE(found.empty()) << "up: " << Describe(found);
}

TEST_F(SelectorPicture, EachTurnCopiesFivePicturesToTheWindow) {
    AddNumberedGroups(19);
    ASSERT_TRUE(Open(20, 5, 1));
    int before = Copies();
    m_wnd->RotateUpList(5);
    EXPECT_EQ(Copies() - before, 5);
    m_wnd->RotateDnList(3);
    EXPECT_EQ(Copies() - before, 8);
    m_wnd->RotateDnList(0);
    EXPECT_EQ(Copies() - before, 9) << "a turn shows at least its last picture";
    EXPECT_EQ(m_wnd->CurGroup(), 18);
}

TEST_F(SelectorPicture, UpdateDrawListRestartsAtTheFirstGroupWithFewerPositions) {
    AddGroups({u"etc.", u"Games", u"Office", u"Tools"});
    ASSERT_TRUE(Open(20, 5, 1));
    m_wnd->RotateUpList(5);
    ASSERT_EQ(m_wnd->CurGroup(), 1);
    m_groups.m_List.RemoveTail();
    m_groups.m_List.RemoveTail();
    int before = Copies();
    m_wnd->UpdateDrawList(2);
    EXPECT_EQ(Copies(), before) << "the new picture waits for the next paint";
    EXPECT_EQ(m_wnd->CurGroup(), 0);
    EXPECT_EQ(m_wnd->Slots(), 2);
    Repaint();
    // Two positions: the second stands on the rim's bottom point.
    auto found = CompareWith({{0, {103, 55}, Hang::Centred}, {1, {48, 109}, Hang::Above}});
    EXPECT_TRUE(found.empty()) << Describe(found);
    m_wnd->UpdateDrawList(9);
    EXPECT_EQ(m_wnd->Slots(), 5) << "never more than the largest number of positions";
}

TEST_F(SelectorPicture, PlainBackgroundIsWhite) {
    AddGroups(kTenGroups);
    ASSERT_TRUE(Open(20, 5, 0));
    auto found = CompareWith(RestingFive(0, 10), {.bBand = true, .bSkin = false});
    EXPECT_TRUE(found.empty()) << Describe(found);
    EXPECT_EQ(At(12, 55), Blend(kViolet, RGB(255, 255, 255), 130));
}

TEST_F(SelectorPicture, EmptyListShowsTheSkinAndArrowsOnly) {
    ASSERT_TRUE(Open(20, 5, 1));
    EXPECT_EQ(m_wnd->Slots(), 0);
    auto found = CompareWith({}, {.bBand = false});
    EXPECT_TRUE(found.empty()) << Describe(found);
    int before = Copies();
    m_wnd->RotateDnList(5);
    m_wnd->RotateUpList(5);
    EXPECT_EQ(Copies(), before) << "nothing to turn";
    EXPECT_EQ(m_wnd->CurGroup(), 0);
}

} // namespace
