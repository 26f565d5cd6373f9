#include "CProgramSorter.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<int, int>>;

TEST(SorterTest, OrdersTheListAndLeavesItsCursorAndCount) {
    using enum CProgramSorter::Mode;
    // Programs as (slot, group) pairs and groups as (slot, program count) pairs, in list
    // order, and the programs' order after sorting.
    const struct {
        CProgramSorter::Mode mode;
        Pairs programs, groups, sorted;
    } cases[] = {
        {BySlot, {{4, 0}, {1, 3}, {7, 1}, {0, 3}}, {}, {{0, 3}, {1, 3}, {4, 0}, {7, 1}}},
        // Groups in their order, each run by slot.
        {ByGroup,
         {{9, 3}, {2, 0}, {5, 3}, {1, 3}, {8, 0}, {3, 1}},
         {{0, 2}, {1, 1}, {3, 3}},
         {{2, 0}, {8, 0}, {3, 1}, {1, 3}, {5, 3}, {9, 3}}},
        // The last run takes the remaining records, whatever its count says.
        {ByGroup, {{5, 0}, {4, 2}, {3, 2}}, {{0, 1}, {2, 40}}, {{5, 0}, {3, 2}, {4, 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        CGetExeIconInfo programs;
        CGetGroupIconInfo groups;
        for (auto [pk, group] : c.programs)
            programs.m_List.AddTail({.PK = pk, .GroupPosition = group});
        for (auto [pk, count] : c.groups)
            groups.m_List.AddTail({.PK = pk, .IconCount = count});
        groups.m_RegData.m_nGroupCount = static_cast<int>(c.groups.size());
        programs.GetAtNext(1);
        CProgramSorter sorter;
        sorter.SetList(&programs);
        sorter.Sort(c.mode, groups);
        Pairs order;
        for (int i = 0; i < programs.m_List.GetCount(); ++i)
            order.emplace_back(programs.GetIcon(i).PK, programs.GetIcon(i).GroupPosition);
        EXPECT_EQ(order, c.sorted);
        EXPECT_EQ(programs.GetCurIndex(), 1);
    }
}

} // namespace
