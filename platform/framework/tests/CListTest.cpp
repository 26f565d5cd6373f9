#include <platform/CList.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The elements from the head, and from the tail, which must be the same ones reversed.
std::vector<int> Walk(CList<int>& list) {
    std::vector<int> forward, backward;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        forward.push_back(list.GetNext(pos));
    for (POSITION pos = list.GetTailPosition(); pos;)
        backward.insert(backward.begin(), list.GetPrev(pos));
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(list.GetCount(), static_cast<int>(forward.size()));
    return forward;
}

TEST(CList, InsertsRemovesAndReplacesAtEveryPlace) {
    CList<int> list;
    EXPECT_EQ(list.FindIndex(0), nullptr);
    list.AddTail(2);
    list.AddHead(1);
    list.AddTail(4);
    list.InsertAfter(list.FindIndex(1), 3);
    list.InsertAfter(nullptr, 5);
    list.InsertBefore(nullptr, 0);
    EXPECT_EQ(Walk(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(list.FindIndex(-1), nullptr);
    EXPECT_EQ(list.FindIndex(6), nullptr);
    list.SetAt(list.FindIndex(5), 9);
    EXPECT_EQ(list.GetTail(), 9);
    list.RemoveAt(list.FindIndex(2));
    EXPECT_EQ(list.RemoveHead(), 0);
    EXPECT_EQ(list.RemoveTail(), 9);
    EXPECT_EQ(Walk(list), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(list.GetHead(), 1);
}

TEST(CList, NodesComeInBlocksOfTenReusedAndReleasedWhenTheListEmpties) {
    CList<int> list;
    for (int round = 0; round < 100; ++round) {
        for (int i = 0; i < 20; ++i)
            list.AddTail(i);
        ASSERT_EQ(list.BlockCount(), 2u);
        list.RemoveAt(list.FindIndex(7));
        list.AddTail(20);
        ASSERT_EQ(list.BlockCount(), 2u) << "a freed node is used before a new block";
        while (!list.IsEmpty())
            list.RemoveAt(list.GetHeadPosition());
        ASSERT_EQ(list.BlockCount(), 0u);
    }
}

TEST(CList, OwnsAndDestroysItsElements) {
    auto tracker = std::make_shared<int>(0);
    {
        CList<std::shared_ptr<int>> list;
        list.AddTail(tracker);
        list.AddTail(tracker);
        list.RemoveAt(list.GetHeadPosition());
        EXPECT_EQ(tracker.use_count(), 2);
    }
    EXPECT_EQ(tracker.use_count(), 1);
}

} // namespace
