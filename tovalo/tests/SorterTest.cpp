#include "CProgramSorter.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class SorterTest : public ::testing::Test {
protected:
    // Programs as (slot, group) pairs in list order.
    void Programs(const std::vector<std::pair<int, int>>& records) {
        for (auto [pk, group] : records) {
            EXEICONDATA data;
            data.PK = pk;
            data.GroupPosition = group;
            m_programs.m_List.AddTail(data);
        }
        m_sorter.SetList(&m_programs);
    }
    // Groups with their program counts, in list order.
    void Groups(const std::vector<std::pair<int, int>>& groups) {
        for (auto [pk, count] : groups) {
            GROUPICONDATA data;
            data.PK = pk;
            data.IconCount = count;
            m_groups.m_List.AddTail(data);
        }
        m_groups.m_RegData.m_nGroupCount = static_cast<int>(groups.size());
    }
    std::vector<std::pair<int, int>> Order() {
        std::vector<std::pair<int, int>> order;
        for (int i = 0; i < m_programs.m_List.GetCount(); ++i)
            order.emplace_back(m_programs.GetIcon(i).PK, m_programs.GetIcon(i).GroupPosition);
        return order;
    }

    CGetExeIconInfo m_programs;
    CGetGroupIconInfo m_groups;
    CProgramSorter m_sorter;
};

TEST_F(SorterTest, BySlotOrdersTheWholeList) {
    Programs({{4, 0}, {1, 3}, {7, 1}, {0, 3}});
    m_sorter.Sort(CProgramSorter::Mode::BySlot, m_groups);
    EXPECT_EQ(Order(), (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {4, 0}, {7, 1}}));
}

TEST_F(SorterTest, ByGroupOrdersGroupsThenEachRunBySlot) {
    Programs({{9, 3}, {2, 0}, {5, 3}, {1, 3}, {8, 0}, {3, 1}});
    Groups({{0, 2}, {1, 1}, {3, 3}});
    m_sorter.Sort(CProgramSorter::Mode::ByGroup, m_groups);
    EXPECT_EQ(Order(),
              (std::vector<std::pair<int, int>>{{2, 0}, {8, 0}, {3, 1}, {1, 3}, {5, 3}, {9, 3}}));
}

TEST_F(SorterTest, CountsThatRunPastTheListAreCut) {
    Programs({{5, 0}, {3, 0}, {4, 2}});
    Groups({{0, 1}, {2, 40}});
    m_sorter.Sort(CProgramSorter::Mode::ByGroup, m_groups);
    // Group 0 claims one record only; the next run takes the remaining two, whatever its
    // count says, and orders them by slot.
    const auto order = Order();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0].second, 0);
    EXPECT_LT(order[1].first, order[2].first);
}

TEST_F(SorterTest, TheCursorAndCountStay) {
    Programs({{2, 0}, {1, 0}, {0, 0}});
    m_programs.GetAtNext(1);
    m_sorter.Sort(CProgramSorter::Mode::BySlot, m_groups);
    EXPECT_EQ(m_programs.GetCurIndex(), 1);
    EXPECT_EQ(m_programs.m_List.GetCount(), 3);
}

} // namespace
