#include "GroupSelectorSupport.h"

#include "LabelFit.h"
#include "RimWalk.h"

#include <cmath>

namespace {

using namespace mirvanetest;
using mirvane::kPi;

POINT PointOf(const CRect& rc) {
    return {rc.right, rc.top};
}

// --- Geometry of the wheel: rim points, label rectangles and the walks ------------------

using Wheel = GroupSelectorTest;

TEST_F(Wheel, RimPointsAndLabelRectanglesOfTheMainScreen) {
    AddNumberedGroups(5);
    ASSERT_TRUE(Open(20, 5, 1));
    // r = 55 and centre (48, 55) for a 118 x 110 window; a label of no size is its point.
    auto point = [&](double angle) { return PointOf(m_wnd->Rotated(55, angle, 48, 55, 0, 0)); };
    EXPECT_EQ(point(0), (POINT{103, 55}));
    EXPECT_EQ(point(-kPi / 5), (POINT{92, 87}));
    EXPECT_EQ(point(-2 * kPi / 5), (POINT{64, 107}));
    EXPECT_EQ(point(kPi / 5), (POINT{92, 23}));
    EXPECT_EQ(point(2 * kPi / 5), (POINT{64, 3}));

    EXPECT_EQ(m_wnd->Rotated(55, 0, 48, 55, 40, 14), CRect(63, 48, 103, 62));
    EXPECT_EQ(m_wnd->Rotated(55, -kPi / 5, 48, 55, 40, 14), CRect(52, 73, 92, 87));
    EXPECT_EQ(m_wnd->Rotated(55, kPi / 5, 48, 55, 40, 14), CRect(52, 23, 92, 37));
    // An odd height is halved downwards on both sides of a centred label.
    EXPECT_EQ(m_wnd->Rotated(55, 0, 48, 55, 40, 15), CRect(63, 48, 103, 62));
}

TEST_F(Wheel, WindowDerivesItsAreasFromTheClientRectangle) {
    AddNumberedGroups(10);
    ASSERT_TRUE(Open(20, 5, 1));
    EXPECT_EQ(m_wnd->List(), CRect(0, 0, 103, 110));
    EXPECT_EQ(m_wnd->ArrowUp(), CRect(103, 0, 118, 15));
    EXPECT_EQ(m_wnd->ArrowDown(), CRect(103, 95, 118, 110));
    EXPECT_EQ(m_wnd->Strip(0), CRect(0, 0, 103, 22));
    EXPECT_EQ(m_wnd->Strip(4), CRect(0, 88, 103, 110));
    // The band runs from x 10 to the strip's width, over the centred label's rows.
    int h = m_skin->dc().GetTextExtent(CString(u"Group 0")).cy;
    EXPECT_EQ(m_wnd->Band(), CRect(10, 55 - h / 2, 103, 55 + h / 2));
}

struct Visit {
    int nVisit;
    double dDegrees;
};

std::vector<Visit> Walked(int nGroups, int nSlots, double dOffset, mirvane::Walk walk) {
    mirvane::RimWalk rim(nGroups, nSlots, dOffset, walk);
    std::vector<Visit> drawn;
    for (int j = 0; j < nGroups; ++j)
        if (auto angle = rim.Visit())
            drawn.push_back({j, *angle * 180 / kPi});
    return drawn;
}

void ExpectVisits(const std::vector<Visit>& drawn, const std::vector<Visit>& expected) {
    ASSERT_EQ(drawn.size(), expected.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i].nVisit, expected[i].nVisit) << "label " << i;
        EXPECT_NEAR(drawn[i].dDegrees, expected[i].dDegrees, 1e-6) << "label " << i;
    }
}

TEST(RimWalk, TenGroupsAtRestDrawTheNearestFive) {
    ExpectVisits(Walked(10, 5, 0, mirvane::Walk::Forward),
                 {{0, 0}, {1, -36}, {2, -72}, {8, 72}, {9, 36}});
}

TEST(RimWalk, TwoPositionsReachTheBottomWithoutWrapping) {
    // -90 degrees is not below -90: the second label stands at the bottom of the rim.
    ExpectVisits(Walked(4, 2, 0, mirvane::Walk::Forward), {{0, 0}, {1, -90}});
}

TEST(RimWalk, FewerGroupsThanPositionsDrawsThemAll) {
    ExpectVisits(Walked(2, 5, 0, mirvane::Walk::Forward), {{0, 0}, {1, -36}});
    EXPECT_TRUE(Walked(4, 0, 0, mirvane::Walk::Forward).empty());
}

TEST(RimWalk, LastFrameOfATurnIsTheRestOfTheNewGroup) {
    using mirvane::FrameOffset;
    using mirvane::Walk;
    // Down: the previous group (visit 9) comes to the centre exactly.
    ExpectVisits(Walked(10, 5, FrameOffset(5, 5, 5, Walk::Forward), Walk::Forward),
                 {{0, -36}, {1, -72}, {7, 72}, {8, 36}, {9, 0}});
    // Up, walking backwards: the next group (visit 9) comes to the centre.
    ExpectVisits(Walked(10, 5, FrameOffset(5, 5, 5, Walk::Backward), Walk::Backward),
                 {{0, 36}, {1, 72}, {7, -72}, {8, -36}, {9, 0}});
    // Six positions: 5 x 30 degrees lands a rounding error off the centre.
    auto six = Walked(12, 6, FrameOffset(6, 5, 5, Walk::Forward), Walk::Forward);
    ASSERT_FALSE(six.empty());
    EXPECT_EQ(six.back().dDegrees, 0.0);
    // One position: the only label turns out and the previous group takes its place.
    ExpectVisits(Walked(3, 1, FrameOffset(1, 5, 5, Walk::Forward), Walk::Forward), {{2, 0}});
}

TEST(LabelFit, LongNamesAreCutByTheirAverageCharacterWidth) {
    EXPECT_EQ(mirvane::FittedLength(120, 20, 83), 14);
    EXPECT_EQ(mirvane::FittedLength(83, 20, 83), 20) << "a label as wide as the limit stays";
    EXPECT_EQ(mirvane::FittedLength(84, 12, 83), 12) << "a cut below one character";
    EXPECT_EQ(mirvane::FittedLength(0, 0, 83), 0);
    EXPECT_EQ(mirvane::FittedLength(500, 2, 83), 1);
    EXPECT_GE(mirvane::FittedLength(1000, 1, 1), 0);
}

} // namespace
