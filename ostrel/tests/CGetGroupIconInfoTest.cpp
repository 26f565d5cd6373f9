#include <ostrel/CGetExeIconInfo.h>
#include <ostrel/CGetGroupIconInfo.h>

#include "ListTestSupport.h"

#include <gtest/gtest.h>

namespace {

using GroupList = ListTest;

int FavoritePK() {
    int value = -99;
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\NorviSoft\\NorviLuncher", &key);
    DWORD size = 4;
    RegQueryValueExW(key, u"FavoritePK", nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return value;
}

TEST_F(GroupList, FreshStoreHoldsEtcAlone) {
    CGetGroupIconInfo list;
    list.InitReg();
    ASSERT_EQ(list.m_List.GetCount(), 1);
    GROUPICONDATA etc = list.GetIcon(0);
    EXPECT_EQ(etc.PK, 0);
    EXPECT_EQ(std::u16string(etc.GroupName), u"etc.");
    EXPECT_EQ(etc.IconCount, 0);
    EXPECT_EQ(list.m_RegData.m_nGroupCount, 1);
}

TEST_F(GroupList, NewGroupFillsTheGapAtItsIndex) {
    StoreGroup(1, u"One");
    StoreGroup(3, u"Three");
    CGetGroupIconInfo list;
    list.InitReg();
    list.InsertGroups(u"Two");
    EXPECT_EQ(list.m_nNewPK, 2);
    EXPECT_EQ(Keys(list), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(std::u16string(list.GetIcon(2).GroupName), u"Two");
    EXPECT_EQ(list.GetIcon(2).IconCount, 0);
}

TEST_F(GroupList, DeletingAGroupLeavesItsPrograms) {
    StoreGroup(2, u"Games", 1);
    StoreProgram(0, u"Chess", 2);
    CGetGroupIconInfo list;
    list.InitReg();
    list.DeleteGroup(1);
    EXPECT_EQ(Keys(list), (std::vector<int>{0}));
    EXPECT_EQ(list.m_RegData.GetGroupData(2).PK, 1000);
    EXPECT_EQ(list.m_RegData.GetExeData(0).GroupPosition, 2);
}

TEST_F(GroupList, RenameAndReload) {
    StoreGroup(1, u"Old");
    CGetGroupIconInfo list;
    list.InitReg();
    list.ModifyGroup(u"New", 1);
    EXPECT_EQ(std::u16string(list.GetIcon(1).GroupName), u"New");
    list.GroupListReload();
    EXPECT_EQ(std::u16string(list.GetIcon(1).GroupName), u"New");
    EXPECT_EQ(Keys(list), (std::vector<int>{0, 1}));
}

TEST_F(GroupList, FavoritesGroupTakesTheFirstFreeSlot) {
    for (int slot = 1; slot <= 4; ++slot)
        StoreGroup(slot, u"G");
    CGetGroupIconInfo list;
    list.InitReg();
    list.InsertFavoriteGroups(7);
    EXPECT_EQ(list.m_nNewPK, 5);
    EXPECT_EQ(FavoritePK(), 5);
    GROUPDATA stored = list.m_RegData.GetGroupData(5);
    EXPECT_EQ(std::u16string(stored.GroupName), u"MyFavorite");
    EXPECT_EQ(stored.IconCount, 7);
    EXPECT_EQ(list.GetIcon(5).IconCount, 7);
}

TEST_F(GroupList, AUserGroupNamedMyFavoriteIsNoFavoritesGroup) {
    CGetGroupIconInfo list;
    list.InitReg();
    list.InsertGroups(u"MyFavorite");
    EXPECT_EQ(FavoritePK(), -99);
}

TEST_F(GroupList, FullStoreAddsAnUnstoredGroupAtTheTail) {
    for (int slot = 1; slot < 20; ++slot)
        StoreGroup(slot, u"G");
    CGetGroupIconInfo list;
    list.InitReg();
    list.InsertFavoriteGroups(2);
    EXPECT_EQ(list.m_nNewPK, -1);
    EXPECT_EQ(FavoritePK(), -1);
    ASSERT_EQ(list.m_List.GetCount(), 21);
    EXPECT_EQ(list.GetIcon(20).PK, -1);
    list.GroupListReload();
    EXPECT_EQ(list.m_List.GetCount(), 20);
}

TEST_F(GroupList, CursorWrapsLikeTheProgramList) {
    StoreGroup(1, u"B");
    StoreGroup(2, u"C");
    CGetGroupIconInfo list;
    list.InitReg();
    list.GetAtPrev(0);
    EXPECT_EQ(std::u16string(list.GetPrev().GroupName), u"C");
    EXPECT_EQ(std::u16string(list.GetPrev().GroupName), u"B");
    list.GetAtNext(2);
    EXPECT_EQ(std::u16string(list.GetNext().GroupName), u"etc.");
}

// The sequence that shows the favourites as a group of their own.
TEST_F(GroupList, FavoritesGroupSequenceOnARealDeviceFolder) {
    StoreGroup(1, u"Work");
    StoreProgram(0, u"Editor", 1);
    Favorite("Site.url");
    Favorite("News/Daily.url");
    Favorite("News/Weekly.url");

    CGetExeIconInfo programs;
    programs.InitReg();
    CGetGroupIconInfo groups;
    groups.InitReg();

    int groupCount = groups.m_RegData.m_nGroupCount;
    groups.InsertFavoriteGroups(0);
    ASSERT_EQ(FavoritePK(), 2);
    int n = programs.InitRegOpen();
    EXPECT_EQ(n, 3);
    groups.DeleteFavoriteGroup(FavoritePK());
    groups.InsertFavoriteGroups(n);

    EXPECT_EQ(FavoritePK(), 2);
    EXPECT_EQ(groups.m_nNewPK, 2);
    EXPECT_EQ(Keys(groups), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(groups.m_RegData.GetGroupData(2).IconCount, 3);
    EXPECT_EQ(groups.m_RegData.m_nGroupCount, groupCount + 1);
    ASSERT_EQ(programs.m_List.GetCount(), 4);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(programs.GetIcon(i).PK, 100);
        EXPECT_EQ(programs.GetIcon(i).GroupPosition, 2);
    }

    // A later start finds the favourites again by itself.
    storedump::SetDword(kRoot, u"CheckFavorite", 1);
    CGetExeIconInfo later;
    later.InitReg();
    EXPECT_EQ(later.m_List.GetCount(), 4);
}

} // namespace
