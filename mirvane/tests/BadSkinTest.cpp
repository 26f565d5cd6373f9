// Runs beside a skin folder whose upper arrow file is damaged and whose lower one is missing.
#include "GroupSelectorSupport.h"

#include <platform/Device.h>

namespace {

using namespace mirvanetest;

using BadSkin = GroupSelectorTest;

TEST_F(BadSkin, ArrowsThatCannotBeLoadedLeaveTheSkinAndStillTurn) {
    auto skin = platform::HostPath(platform::ModuleDirectory()) / "Skin";
    ASSERT_TRUE(std::filesystem::exists(skin / "ArrowUp.BMP")) << "the damaged file is there";
    ASSERT_FALSE(std::filesystem::exists(skin / "ArrowDown.BMP"));

    AddNumberedGroups(5);
    ASSERT_TRUE(Open());
    // Where the test arrows have their triangles, the skin shows.
    EXPECT_EQ(At(110, 11), SkinColor(110, 24));
    EXPECT_EQ(At(110, 98), SkinColor(110, 111));
    auto found = CompareWith(RestingFive(0, 5));
    EXPECT_TRUE(found.empty()) << Describe(found);

    Tap(110, 100);
    Tap(110, 5);
    Tap(110, 5);
    EXPECT_EQ(m_parent.m_notices,
              (std::vector<Notice>{{0x1105, 11, 3}, {0x1106, 10, 1}, {0x1106, 14, 9}}));
}

} // namespace
