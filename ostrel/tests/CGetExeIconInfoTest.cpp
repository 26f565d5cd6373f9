#include <ostrel/CGetExeIconInfo.h>

#include "ListTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sys/stat.h>

namespace {

using ProgramList = ListTest;

std::u16string Name(const EXEICONDATA& e) {
    return e.IconName;
}

TEST_F(ProgramList, LoadsStoredProgramsInSlotOrderWithIcons) {
    StoreProgram(4, u"Four", 2);
    StoreProgram(0, u"Zero");
    StoreProgram(2, u"Two");
    CGetExeIconInfo list;
    EXPECT_EQ(list.InitReg(), 4444u);
    EXPECT_EQ(Keys(list), (std::vector<int>{0, 2, 4}));
    EXEICONDATA four = list.GetIcon(2);
    EXPECT_EQ(four.GroupPosition, 2);
    EXPECT_EQ(Name(four), u"Four");
    EXPECT_EQ(std::u16string(four.IconPath), u"\\Windows\\Four.exe");
    EXPECT_NE(four.hIcon, nullptr);
}

TEST_F(ProgramList, OneElementCursorStaysPut) {
    StoreProgram(0, u"Only");
    CGetExeIconInfo list;
    list.InitReg();
    list.GetAtNext(0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Name(list.GetNext()), u"Only");
        EXPECT_EQ(list.GetCurIndex(), 0);
        EXPECT_EQ(Name(list.GetPrev()), u"Only");
        EXPECT_EQ(list.GetCurIndex(), 0);
    }
}

TEST_F(ProgramList, CursorWrapsAtBothEnds) {
    for (int i = 0; i < 4; ++i)
        StoreProgram(i, std::u16string(1, static_cast<char16_t>(u'A' + i)));
    CGetExeIconInfo list;
    list.InitReg();

    EXPECT_EQ(Name(list.GetAtNext(3)), u"D");
    EXPECT_EQ(Name(list.GetNext()), u"A");
    EXPECT_EQ(list.GetCurIndex(), 0);
    EXPECT_EQ(Name(list.GetNext()), u"B");
    EXPECT_EQ(list.GetCurIndex(), 1);

    EXPECT_EQ(Name(list.GetAtPrev(0)), u"A");
    EXPECT_EQ(Name(list.GetPrev()), u"D");
    EXPECT_EQ(list.GetCurIndex(), 3);
    EXPECT_EQ(Name(list.GetPrev()), u"C");
    EXPECT_EQ(list.GetCurIndex(), 2);

    std::u16string walk;
    list.GetAtNext(1);
    for (int i = 0; i < 6; ++i)
        walk += Name(list.GetNext());
    EXPECT_EQ(walk, u"CDABCD");
}

TEST_F(ProgramList, StartThenNextGivesTheFirstAgain) {
    StoreProgram(0, u"A");
    StoreProgram(1, u"B");
    CGetExeIconInfo list;
    list.InitReg();
    EXPECT_EQ(Name(list.GetStart()), u"A");
    EXPECT_EQ(Name(list.GetNext()), u"A");
    EXPECT_EQ(list.GetCurIndex(), 1);
    EXPECT_EQ(Name(list.GetEnd()), u"B");
    EXPECT_EQ(list.GetCurIndex(), 1);
}

TEST_F(ProgramList, EmptyListAndBadIndexesAreQuiet) {
    CGetExeIconInfo list;
    list.InitReg();
    ASSERT_EQ(list.m_List.GetCount(), 0);
    for (auto step : {&CGetExeIconInfo::GetNext, &CGetExeIconInfo::GetPrev,
                      &CGetExeIconInfo::GetStart, &CGetExeIconInfo::GetEnd}) {
        EXEICONDATA e = (list.*step)();
        EXPECT_EQ(e.PK, 0);
        EXPECT_EQ(e.hIcon, nullptr);
    }
    EXPECT_EQ(list.GetAtNext(0).PK, 0);
    EXPECT_EQ(list.GetIcon(-1).PK, 0);
    list.DeleteExe(0);
    list.ModifyExe(u"x", 3, 1);
    EXPECT_EQ(list.GetCurIndex(), 0);

    StoreProgram(0, u"A");
    StoreProgram(1, u"B");
    list.ExeIconListReload();
    EXPECT_EQ(list.GetIcon(2).PK, 0);
    EXPECT_EQ(list.GetAtPrev(7).PK, 0);
    EXPECT_EQ(list.GetCurIndex(), 0) << "a refused index leaves the cursor";
    EXPECT_EQ(list.GetNext().hIcon, nullptr) << "an unanchored cursor gives a default record";
}

TEST_F(ProgramList, NewProgramTakesTheFreeSlotAndItsIndex) {
    for (int slot : {0, 1, 2, 4, 5})
        StoreProgram(slot, u"P");
    CGetExeIconInfo list;
    list.InitReg();
    list.InsertExe(u"\\Windows\\new.exe", u"New");
    EXPECT_EQ(list.m_nNewPK, 3);
    EXPECT_EQ(Keys(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Name(list.GetIcon(3)), u"New");
    EXPECT_EQ(list.GetIcon(3).GroupPosition, 0);

    CGetExeIconInfo fresh;
    fresh.InitReg();
    EXPECT_EQ(Keys(fresh), Keys(list));
}

TEST_F(ProgramList, FullStoreAddsAnUnstoredElementUntilReload) {
    for (int slot = 0; slot < 50; ++slot)
        StoreProgram(slot, u"P");
    storedump::SetDword(std::u16string(kRoot) + u"\\EXEs", u"EXEICONCOUNT", 50);
    CGetExeIconInfo list;
    list.InitReg();
    auto before = storedump::Dump(kRoot);
    list.InsertExe(u"\\Windows\\extra.exe", u"Extra");
    EXPECT_EQ(list.m_nNewPK, -1);
    ASSERT_EQ(list.m_List.GetCount(), 51);
    EXPECT_EQ(list.GetIcon(50).PK, -1);
    EXPECT_EQ(Name(list.GetIcon(50)), u"Extra");
    EXPECT_EQ(storedump::Dump(kRoot), before);
    list.ExeIconListReload();
    EXPECT_EQ(list.m_List.GetCount(), 50);
}

TEST_F(ProgramList, ModifyKeepsPositionAndIcon) {
    StoreProgram(0, u"A");
    StoreProgram(1, u"B");
    StoreGroup(4, u"Four");
    CGetExeIconInfo list;
    list.InitReg();
    EXEICONDATA before = list.GetIcon(0);
    list.ModifyExe(u"Alpha", 0, 4);
    EXEICONDATA after = list.GetIcon(0);
    EXPECT_EQ(Name(after), u"Alpha");
    EXPECT_EQ(after.GroupPosition, 4);
    EXPECT_EQ(after.hIcon, before.hIcon);
    EXPECT_EQ(after.PK, 0);
    EXPECT_EQ(list.m_RegData.GetExeData(0).GroupPosition, 4);
    EXPECT_EQ(list.m_RegData.GetGroupData(4).IconCount, 1);
}

TEST_F(ProgramList, DeleteFreesTheSlotAndReleasesTheIconOnce) {
    StoreProgram(0, u"A");
    StoreProgram(1, u"B");
    CGetExeIconInfo list;
    list.InitReg();
    list.GetAtNext(0);
    EXEICONDATA gone = list.GetIcon(0);
    list.DeleteExe(0);
    EXPECT_EQ(Keys(list), (std::vector<int>{1}));
    EXPECT_EQ(list.m_RegData.GetExeData(0).PK, 1000);
    EXPECT_FALSE(DestroyIcon(gone.hIcon)) << "the deleted element's icon was already released";
    EXPECT_EQ(Name(list.GetNext()), u"B") << "the cursor still walks the list";
}

TEST_F(ProgramList, ReloadReleasesEveryIconAndDropsFavorites) {
    StoreProgram(0, u"A");
    StoreGroup(1, u"MyFavorite");
    ShowFavorites(1);
    Favorite("Site.url");
    CGetExeIconInfo list;
    list.InitReg();
    ASSERT_EQ(list.m_List.GetCount(), 2);
    std::vector<HICON> old{list.GetIcon(0).hIcon, list.GetIcon(1).hIcon};
    list.ExeIconListReload();
    EXPECT_EQ(Keys(list), (std::vector<int>{0}));
    for (HICON icon : old)
        EXPECT_FALSE(DestroyIcon(icon));
}

TEST_F(ProgramList, FavoritesAreNamedUpToTheirFirstDot) {
    ShowFavorites(3);
    Favorite("Site.url");
    Favorite("My.Site.url");
    Favorite("README");
    CGetExeIconInfo list;
    list.InitReg();
    std::multiset<std::u16string> names;
    for (int i = 0; i < list.m_List.GetCount(); ++i) {
        EXEICONDATA e = list.GetIcon(i);
        EXPECT_EQ(e.PK, 100);
        EXPECT_EQ(e.GroupPosition, 3);
        EXPECT_NE(e.hIcon, nullptr);
        names.insert(Name(e));
    }
    EXPECT_EQ(names, (std::multiset<std::u16string>{u"Site", u"My", u""}));
}

TEST_F(ProgramList, FavoritesSearchFoldersByTheirAttributeWord) {
    Favorite("Top.url");
    Favorite("News/Daily.url");
    Favorite("News/Deep/Deeper/Old.url");
    Favorite(".hidden.url");        // 0x22: skipped
    Favorite(".private/Inner.url"); // 0x12: added as one entry, not searched
    std::filesystem::create_directories(Device() / "Windows" / "Favorites" / "Empty");
    CGetExeIconInfo list;
    list.InitReg();
    EXPECT_EQ(list.SearchRegKeyStart(u"\\Windows\\Favorites\\*.*"), 4);
    std::set<std::u16string> paths;
    for (int i = 0; i < list.m_List.GetCount(); ++i)
        paths.insert(list.GetIcon(i).IconPath);
    EXPECT_EQ(paths, (std::set<std::u16string>{u"\\Windows\\Favorites\\Top.url",
                                               u"\\Windows\\Favorites\\News\\Daily.url",
                                               u"\\Windows\\Favorites\\News\\Deep\\Deeper\\Old.url",
                                               u"\\Windows\\Favorites\\.private"}));
}

TEST_F(ProgramList, FavoritesAreAddedOnlyWhenShown) {
    Favorite("Site.url");
    CGetExeIconInfo hidden;
    hidden.InitReg();
    EXPECT_EQ(hidden.m_List.GetCount(), 0) << "CheckFavorite absent";
    EXPECT_EQ(hidden.QueryFavoriteTrueFalse(), 0);
    EXPECT_EQ(hidden.QueryExeIconCount(), 0);
    storedump::SetDword(kRoot, u"CheckFavorite", 0);
    CGetExeIconInfo off;
    off.InitReg();
    EXPECT_EQ(off.m_List.GetCount(), 0);
}

TEST_F(ProgramList, MissingFavoritesFolderAddsNothing) {
    std::filesystem::remove_all(Device() / "Windows" / "Favorites");
    CGetExeIconInfo list;
    EXPECT_EQ(list.InitRegOpen(), 0);
    EXPECT_EQ(list.SearchRegKeyStart(u"\\nowhere\\at\\all\\*.*"), 0);
}

using FirstStart = testsupport::DeviceFolderTest;

TEST_F(FirstStart, ReturnsTheFirstStartCodeWithAnEmptyList) {
    testsupport::WriteFile(Device() / "Windows" / "Favorites" / "Site.url", "x");
    storedump::SetDword(u"Software\\Other", u"Unrelated", 1);
    CGetExeIconInfo list;
    EXPECT_EQ(list.InitReg(), 3333u);
    EXPECT_EQ(list.m_List.GetCount(), 0);
}

TEST_F(ProgramList, NodeBlocksStayBoundedAsTheListChanges) {
    CGetExeIconInfo list;
    list.InitReg();
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 12; ++i)
            list.InsertFavoriteURL(u"\\Windows\\Favorites\\x.url", u"x");
        EXPECT_LE(list.m_List.BlockCount(), 2u);
        while (list.m_List.GetCount() > 0)
            list.m_List.RemoveHead();
        EXPECT_EQ(list.m_List.BlockCount(), 0u);
    }
}

} // namespace
