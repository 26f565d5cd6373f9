#include <ostrel/CGetQLIconInfo.h>

#include "ListTestSupport.h"

#include <gtest/gtest.h>

namespace {

using QuickLaunchList = ListTest;

void StoreEntry(int slot, std::u16string_view path) {
    storedump::SetText(ListTest::SlotKey(u"QL", slot), u"QLPath", path);
}

TEST_F(QuickLaunchList, FreshStoreIsEmpty) {
    CGetQLIconInfo list;
    list.InitReg();
    EXPECT_EQ(list.m_List.GetCount(), 0);
    EXPECT_EQ(list.GetNext().hIcon, nullptr);
}

TEST_F(QuickLaunchList, NewEntryFillsTheGap) {
    StoreEntry(0, u"\\Windows\\a.exe");
    StoreEntry(1, u"\\Windows\\b.exe");
    StoreEntry(3, u"\\Windows\\d.exe");
    CGetQLIconInfo list;
    list.InitReg();
    list.InsertQL(u"\\Windows\\c.exe");
    EXPECT_EQ(list.m_nNewPK, 2);
    EXPECT_EQ(Keys(list), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(std::u16string(list.GetIcon(2).QLPath), u"\\Windows\\c.exe");
    EXPECT_NE(list.GetIcon(2).hIcon, nullptr);
}

TEST_F(QuickLaunchList, OverlongPathsAreLeftOut) {
    StoreEntry(0, u"\\" + std::u16string(129, u'x'));
    StoreEntry(1, u"\\ok.exe");
    CGetQLIconInfo list;
    list.InitReg();
    EXPECT_EQ(Keys(list), (std::vector<int>{1}));
}

TEST_F(QuickLaunchList, DeleteFreesTheSlot) {
    StoreEntry(0, u"\\a.exe");
    StoreEntry(1, u"\\b.exe");
    CGetQLIconInfo list;
    list.InitReg();
    list.DeleteQL(0);
    list.DeleteQL(5);
    EXPECT_EQ(Keys(list), (std::vector<int>{1}));
    EXPECT_EQ(list.m_RegData.GetQLData(0).PK, 1000);
    list.InsertQL(u"\\again.exe");
    EXPECT_EQ(list.m_nNewPK, 0);
    EXPECT_EQ(Keys(list), (std::vector<int>{0, 1})) << "list order keeps slot order";
}

TEST_F(QuickLaunchList, FullStoreAddsAnUnstoredEntry) {
    for (int slot = 0; slot < 15; ++slot)
        StoreEntry(slot, u"\\q.exe");
    CGetQLIconInfo list;
    list.InitReg();
    list.InsertQL(u"\\extra.exe");
    EXPECT_EQ(list.m_nNewPK, -1);
    ASSERT_EQ(list.m_List.GetCount(), 16);
    EXPECT_EQ(list.GetIcon(15).PK, -1);
}

} // namespace
