#include <platform/CList.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

template <typename T> std::vector<T> Walk(CList<T>& list) {
    std::vector<T> out;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        out.push_back(list.GetNext(pos));
    return out;
}

template <typename T> std::vector<T> WalkBack(CList<T>& list) {
    std::vector<T> out;
    for (POSITION pos = list.GetTailPosition(); pos;)
        out.push_back(list.GetPrev(pos));
    return out;
}

TEST(CList, InsertsAtHeadTailAndAfterPositions) {
    CList<int> list;
    list.AddTail(2);
    list.AddHead(1);
    list.AddTail(4);
    list.InsertAfter(list.FindIndex(1), 3);
    list.InsertAfter(nullptr, 5);
    list.InsertBefore(nullptr, 0);
    EXPECT_EQ(Walk(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(WalkBack(list), (std::vector<int>{5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(list.GetCount(), 6);
    EXPECT_EQ(list.GetHead(), 0);
    EXPECT_EQ(list.GetTail(), 5);
}

TEST(CList, RemovesFromEveryPlace) {
    CList<int> list;
    for (int i = 0; i < 5; ++i)
        list.AddTail(i);
    list.RemoveAt(list.FindIndex(2));
    EXPECT_EQ(list.RemoveHead(), 0);
    EXPECT_EQ(list.RemoveTail(), 4);
    EXPECT_EQ(Walk(list), (std::vector<int>{1, 3}));
    EXPECT_EQ(WalkBack(list), (std::vector<int>{3, 1}));
}

TEST(CList, FindIndexOutOfRangeGivesNoPosition) {
    CList<int> list;
    EXPECT_EQ(list.FindIndex(0), nullptr);
    list.AddTail(7);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
    EXPECT_EQ(list.FindIndex(1), nullptr);
    EXPECT_NE(list.FindIndex(0), nullptr);
}

TEST(CList, NodesComeInBlocksOfTenAndAreReused) {
    CList<int> list;
    for (int i = 0; i < 10; ++i)
        list.AddTail(i);
    EXPECT_EQ(list.BlockCount(), 1u);
    list.AddTail(10);
    EXPECT_EQ(list.BlockCount(), 2u);
    list.RemoveHead();
    list.AddTail(11);
    EXPECT_EQ(list.BlockCount(), 2u) << "a freed node is reused before a new block is taken";
}

TEST(CList, BlocksAreReleasedWhenTheListEmpties) {
    CList<int> list;
    for (int round = 0; round < 1000; ++round) {
        for (int i = 0; i < 25; ++i)
            list.AddTail(i);
        EXPECT_EQ(list.BlockCount(), 3u);
        while (!list.IsEmpty())
            list.RemoveAt(list.GetHeadPosition());
        EXPECT_EQ(list.BlockCount(), 0u);
    }
}

TEST(CList, OwnsAndDestroysItsElements) {
    auto tracker = std::make_shared<int>(0);
    {
        CList<std::shared_ptr<int>> list;
        list.AddTail(tracker);
        list.AddTail(tracker);
        EXPECT_EQ(tracker.use_count(), 3);
        list.RemoveHead();
        EXPECT_EQ(tracker.use_count(), 2);
    }
    EXPECT_EQ(tracker.use_count(), 1);
}

TEST(CList, SetAtReplacesInPlace) {
    CList<std::string> list;
    POSITION pos = list.AddTail("a");
    list.SetAt(pos, "b");
    EXPECT_EQ(list.GetAt(pos), "b");
}

} // namespace
