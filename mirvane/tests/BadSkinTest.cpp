// Runs beside a skin folder whose upper arrow file is damaged and whose lower one is missing.
#include "Selector.h"

namespace {

using namespace mirvanetest;

TEST_F(SelectorTest, ArrowsThatCannotBeLoadedLeaveTheSkinAndStillTurn) {
    m_bArrows = false;
    AddGroups(5);
    ASSERT_TRUE(Open());
    EXPECT_EQ(Compare(Rim(5, 5, 0)), "") << "the skin where the arrows would be";
    Tap(110, 100);
    Tap(110, 5);
    EXPECT_EQ(m_parent.m_notices, (std::vector<Notice>{{0x1105, 11, 3}, {0x1106, 10, 1}}));
}

} // namespace
