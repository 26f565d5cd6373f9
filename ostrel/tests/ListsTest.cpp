#include "StoreTest.h"

#include <ostrel/CGetExeIconInfo.h>
#include <ostrel/CGetGroupIconInfo.h>
#include <ostrel/CGetQLIconInfo.h>

#include <set>

namespace {

using namespace storetest;
using Lists = StoreTest;

std::u16string Names(CGetExeIconInfo& list, EXEICONDATA (CGetExeIconInfo::*step)(), int n) {
    std::u16string names;
    for (int i = 0; i < n; ++i)
        names += (list.*step)().IconName;
    return names + u"@" + Number(list.GetCurIndex());
}

Value FavoritePK() {
    return Dump()[u""][u"FavoritePK"];
}

TEST_F(Lists, ProgramsLoadInSlotOrderAndTheCursorWrapsAtBothEnds) {
    for (int slot : {3, 0, 2, 1})
        StoreProgram(slot, std::u16string(1, static_cast<char16_t>(u'A' + slot)), slot);
    CGetExeIconInfo list;
    EXPECT_EQ(list.InitReg(), 4444u);
    EXPECT_EQ(Keys(list), (std::vector<int>{0, 1, 2, 3}));
    const EXEICONDATA d = list.GetIcon(3);
    EXPECT_EQ(std::tuple(d.GroupPosition, std::u16string(d.IconPath), d.hIcon != nullptr),
              std::tuple(3, u"\\Windows\\D.exe", true));
    // At(i) gives element i; then Next and Prev step round the list, wrapping at both ends.
    EXPECT_EQ(std::u16string(list.GetAtNext(3).IconName), u"D");
    EXPECT_EQ(Names(list, &CGetExeIconInfo::GetNext, 6), u"ABCDAB@1");
    EXPECT_EQ(std::u16string(list.GetAtPrev(0).IconName), u"A");
    EXPECT_EQ(Names(list, &CGetExeIconInfo::GetPrev, 5), u"DCBAD@3");
    EXPECT_EQ(std::u16string(list.GetStart().IconName), u"A");
    EXPECT_EQ(Names(list, &CGetExeIconInfo::GetNext, 1), u"A@1");
    EXPECT_EQ(std::u16string(list.GetEnd().IconName), u"D");
    EXPECT_EQ(list.GetCurIndex(), 3);
    for (int bad : {4, -1})
        EXPECT_EQ(std::tuple(list.GetAtPrev(bad).PK, list.GetIcon(bad).PK, list.GetCurIndex()),
                  std::tuple(0, 0, 3))
            << "a refused index leaves the cursor";
    for (int i = 0; i < 3; ++i)
        list.DeleteExe(1);
    list.GetAtNext(0);
    EXPECT_EQ(Names(list, &CGetExeIconInfo::GetNext, 3) + Names(list, &CGetExeIconInfo::GetPrev, 2),
              u"AAA@0AA@0");
    // Emptied, the list gives default records quietly.
    list.DeleteExe(0);
    for (auto step : {&CGetExeIconInfo::GetNext, &CGetExeIconInfo::GetPrev,
                      &CGetExeIconInfo::GetStart, &CGetExeIconInfo::GetEnd})
        EXPECT_EQ(std::pair((list.*step)().PK, (list.*step)().hIcon), std::pair(0, HICON{}));
    EXPECT_EQ(list.GetAtNext(0).PK, 0);
    list.DeleteExe(0);
    list.ModifyExe(u"x", 3, 1);
    CGetQLIconInfo quick;
    quick.InitReg();
    EXPECT_EQ(std::pair(quick.m_List.GetCount(), quick.GetNext().hIcon), std::pair(0, HICON{}));
}

TEST_F(Lists, NewElementsTakeTheFreeSlotAtItsIndexOrStayUnstoredWhenTheStoreIsFull) {
    for (int slot : {0, 1, 2, 4, 5})
        StoreProgram(slot, u"P"), Set(Slot(u"QL", slot), u"QLPath", Text(u"\\q.exe"));
    StoreGroup(1, u"One");
    StoreGroup(3, u"Three");
    CGetExeIconInfo programs;
    CGetGroupIconInfo groups;
    CGetQLIconInfo quick;
    programs.InitReg(), groups.InitReg(), quick.InitReg();
    programs.InsertExe(u"\\Windows\\new.exe", u"New");
    groups.InsertGroups(u"Two");
    quick.InsertQL(u"\\Windows\\c.exe");
    EXPECT_EQ(std::tuple(programs.m_nNewPK, groups.m_nNewPK, quick.m_nNewPK), std::tuple(3, 2, 3));
    EXPECT_EQ(Keys(programs), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Keys(groups), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(Keys(quick), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(
        std::tuple(std::u16string(programs.GetIcon(3).IconName), programs.GetIcon(3).GroupPosition),
        std::tuple(u"New", 0));
    EXPECT_EQ(std::u16string(groups.GetIcon(2).GroupName), u"Two");
    EXPECT_NE(quick.GetIcon(3).hIcon, nullptr);

    for (int slot = 6; slot < 50; ++slot)
        StoreProgram(slot, u"P"), Set(Slot(u"QL", slot), u"QLPath", Text(u"\\q.exe"));
    for (int slot = 4; slot < 20; ++slot)
        StoreGroup(slot, u"G");
    Set(u"EXEs", u"EXEICONCOUNT", Dword(50));
    CGetExeIconInfo fullPrograms;
    CGetGroupIconInfo fullGroups;
    CGetQLIconInfo fullQuick;
    fullPrograms.InitReg(), fullGroups.InitReg(), fullQuick.InitReg();
    const Tree before = Dump();
    fullPrograms.InsertExe(u"\\Windows\\extra.exe", u"Extra");
    fullQuick.InsertQL(u"\\extra.exe");
    EXPECT_EQ(Dump(), before);
    fullGroups.InsertFavoriteGroups(2);
    EXPECT_EQ(FavoritePK(), Dword(-1));
    EXPECT_EQ(std::tuple(fullPrograms.m_nNewPK, fullGroups.m_nNewPK, fullQuick.m_nNewPK),
              std::tuple(-1, -1, -1));
    EXPECT_EQ(std::tuple(fullPrograms.GetIcon(50).PK, fullGroups.GetIcon(20).PK,
                         fullQuick.GetIcon(15).PK),
              std::tuple(-1, -1, -1));
    EXPECT_EQ(std::u16string(fullPrograms.GetIcon(50).IconName), u"Extra");
    fullPrograms.ExeIconListReload(), fullGroups.GroupListReload();
    EXPECT_EQ(std::pair(fullPrograms.m_List.GetCount(), fullGroups.m_List.GetCount()),
              std::pair(50, 20));
}

TEST_F(Lists, ChangesAreStoredAndDeletedIconsReleasedOnce) {
    StoreProgram(0, u"A");
    StoreProgram(1, u"B");
    StoreGroup(2, u"Games", 1);
    StoreProgram(2, u"Chess", 2);
    Set(Slot(u"QL", 0), u"QLPath", Text(u"\\" + std::u16string(129, u'x')));
    Set(Slot(u"QL", 1), u"QLPath", Text(u"\\ok.exe"));
    CGetExeIconInfo programs;
    CGetGroupIconInfo groups;
    CGetQLIconInfo quick;
    programs.InitReg(), groups.InitReg(), quick.InitReg();
    EXPECT_EQ(Keys(quick), (std::vector<int>{1})) << "an overlong path is left out";
    const HICON icon = programs.GetIcon(0).hIcon, gone = programs.GetIcon(1).hIcon;
    programs.ModifyExe(u"Alpha", 0, 2);
    EXPECT_EQ(std::tuple(std::u16string(programs.GetIcon(0).IconName), programs.GetIcon(0).hIcon,
                         programs.GetIcon(0).PK),
              std::tuple(u"Alpha", icon, 0));
    EXPECT_EQ(std::pair(programs.m_RegData.GetExeData(0).GroupPosition,
                        programs.m_RegData.GetGroupData(2).IconCount),
              std::pair(2, 2));
    programs.DeleteExe(1);
    EXPECT_EQ(Keys(programs), (std::vector<int>{0, 2}));
    EXPECT_EQ(programs.m_RegData.GetExeData(1).PK, 1000);
    EXPECT_FALSE(DestroyIcon(gone)) << "already released";
    groups.ModifyGroup(u"Play", 1);
    groups.GroupListReload();
    EXPECT_EQ(std::u16string(groups.GetIcon(1).GroupName), u"Play");
    groups.DeleteGroup(1);
    EXPECT_EQ(Keys(groups), (std::vector<int>{0}));
    EXPECT_EQ(std::pair(groups.m_RegData.GetGroupData(2).PK,
                        groups.m_RegData.GetExeData(2).GroupPosition),
              std::pair(1000, 2))
        << "the group's programs stay";
    quick.DeleteQL(0);
    quick.DeleteQL(5);
    EXPECT_EQ(std::pair(Keys(quick).size(), quick.m_RegData.GetQLData(1).PK),
              std::pair(std::size_t{0}, 1000));
}

TEST_F(Lists, FavoritesAreAGroupOfTheirOwnNamedUpToTheFirstDot) {
    StoreGroup(1, u"Work");
    StoreProgram(0, u"Editor", 1);
    for (const char* file : {"Site.url", "My.Site.url", "README", "News/Deep/Old.url",
                             ".hidden.url", ".private/In.url"})
        testsupport::WriteFile(Device() / "Windows" / "Favorites" / file,
                               "[InternetShortcut]\nURL=https://example.org/\n");
    std::filesystem::create_directories(Device() / "Windows" / "Favorites" / "Empty");
    CGetExeIconInfo programs;
    CGetGroupIconInfo groups;
    programs.InitReg(), groups.InitReg();
    EXPECT_EQ(programs.m_List.GetCount(), 1) << "not shown while CheckFavorite is absent";
    EXPECT_EQ(programs.QueryFavoriteTrueFalse(), 0);
    // The settings page's sequence: the group, the favourites counted, the group again.
    groups.InsertFavoriteGroups(0);
    ASSERT_EQ(FavoritePK(), Dword(2));
    const int n = programs.InitRegOpen();
    EXPECT_EQ(n, 5) << "hidden files skipped, a hidden folder taken whole, folders searched";
    groups.DeleteFavoriteGroup(2);
    groups.InsertFavoriteGroups(n);
    EXPECT_EQ(std::tuple(FavoritePK(), groups.m_nNewPK, groups.m_RegData.GetGroupData(2).IconCount),
              std::tuple(Dword(2), 2, 5));
    EXPECT_EQ(std::u16string(groups.m_RegData.GetGroupData(2).GroupName), u"MyFavorite");
    Set(u"", u"CheckFavorite", Dword(1));
    CGetExeIconInfo later;
    later.InitReg();
    std::multiset<std::u16string> found;
    for (int i = 1; i < later.m_List.GetCount(); ++i) {
        const EXEICONDATA e = later.GetIcon(i);
        EXPECT_EQ(std::tuple(e.PK, e.GroupPosition, e.hIcon != nullptr), std::tuple(100, 2, true));
        found.insert(e.IconName + (u"=" + std::u16string(e.IconPath).substr(19)));
    }
    EXPECT_EQ(found, (std::multiset<std::u16string>{u"=README", u"=.private", u"My=My.Site.url",
                                                    u"Old=News\\Deep\\Old.url", u"Site=Site.url"}));
    const HICON icon = later.GetIcon(1).hIcon;
    later.ExeIconListReload();
    EXPECT_EQ(Keys(later), (std::vector<int>{0})) << "a reload drops the favourites";
    EXPECT_FALSE(DestroyIcon(icon)) << "and releases their icons";
    groups.InsertGroups(u"MyFavorite");
    EXPECT_EQ(FavoritePK(), Dword(2)) << "a user's group of that name is none";
    std::filesystem::remove_all(Device() / "Windows" / "Favorites");
    EXPECT_EQ(programs.SearchRegKeyStart(u"\\Windows\\Favorites\\*.*"), 0);
}

} // namespace
