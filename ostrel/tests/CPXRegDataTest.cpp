#include "StoreTest.h"

#include <tuple>

namespace {

using namespace storetest;

Tree FirstStartContent() {
    Tree tree{{u"", {}}, {u"EXEs", {}}, {u"QL", {}}};
    tree[u"Groups"] = {{u"GROUPCOUNT", Dword(1)}};
    for (int n = 0; n < 20; ++n)
        tree[Slot(u"Groups", n)] = {{u"PK", Dword(n)}, {u"IconCount", Dword(0)}};
    tree[u"Groups\\Groups0"][u"GroupName"] = Text(u"etc.");
    for (int n = 0; n < 50; ++n)
        tree[Slot(u"EXEs", n)] = {{u"PK", Dword(n)}, {u"GroupPosition", Dword(0)}};
    for (int n = 0; n < 15; ++n)
        tree[Slot(u"QL", n)] = {{u"PK", Dword(n)}};
    tree[u"Skin"] = {{u"SkinCheck", Dword(1)}};
    return tree;
}

using FirstStart = testsupport::DeviceFolderTest;

TEST_F(FirstStart, WritesExactlyTheDefaultContentOnceKeepingTheCountersItRead) {
    HKEY other = nullptr; // another program's key does not make the store exist
    RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Other", &other);
    RegCloseKey(other);
    CPXRegData data;
    EXPECT_EQ(data.InitRegistry(), 3333u);
    EXPECT_EQ(Dump(), FirstStartContent());
    EXPECT_EQ(std::tuple(data.m_nGroupCount, data.m_nExeIconCount, data.m_nQLCount),
              std::tuple(0, 0, 0));
    EXPECT_EQ(std::pair(data.InitRegistry(), CPXRegData().InitRegistry()), std::pair(4444u, 4444u));
    EXPECT_EQ(Dump(), FirstStartContent());
}

TEST_F(FirstStart, ARootWithoutSlotsIsNotAFirstStart) {
    Set(u"", u"SetKey", Dword(5));
    CPXRegData data;
    EXPECT_EQ(data.InitRegistry(), 4444u);
    EXPECT_EQ(data.GetGroupData(0).PK, 1000);
    EXPECT_FALSE(Dump().contains(u"EXEs\\EXEs0"));
}

using Store = StoreTest;

TEST_F(Store, SlotsAndTheSkinPathReadBackWithinTheirLimitsOrAsEmpty) {
    const std::u16string p129(129, u'p'), g511(511, u'g');
    Set(Slot(u"EXEs", 3), u"IconName", Text(u"Long"));
    Set(Slot(u"EXEs", 4), u"IconPath", Text(p129 + u"p"));
    Set(Slot(u"EXEs", 3), u"IconPath", Text(p129));
    Set(Slot(u"Groups", 4), u"GroupName", Text(g511));
    Set(Slot(u"Groups", 5), u"GroupName", Text(g511 + u"g"));
    Set(Slot(u"QL", 14), u"QLPath", Text(u"\\Windows\\calc.exe"));
    CPXRegData data;
    data.InitRegistry();
    EXEDATA exe = data.GetExeData(3);
    EXPECT_EQ(std::tuple(exe.PK, std::u16string(exe.IconPath), std::u16string(exe.IconName)),
              std::tuple(3, p129, u"Long"));
    exe = data.GetExeData(4); // a path over 129 characters
    EXPECT_EQ(std::tuple(exe.PK, exe.GroupPosition, exe.IconPath[0], exe.IconName[0]),
              std::tuple(1000, 0, 0, 0));
    // A name longer than the record is cut, not overrun; one over 511 is not read.
    EXPECT_EQ(std::u16string(data.GetGroupData(4).GroupName), g511.substr(0, 259));
    EXPECT_EQ(data.ReturnGroupName(4), g511.c_str());
    EXPECT_EQ(data.GetGroupData(5).PK, 1000);
    EXPECT_EQ(std::u16string(data.GetGroupData(0).GroupName), u"etc.");
    EXPECT_EQ(data.ReturnGroupName(0), u"etc.");
    for (int slot : {1, 20, -1, 1000})
        EXPECT_EQ(std::pair(data.GetGroupData(slot).PK, data.ReturnGroupName(slot)),
                  std::pair(1000, CString(u"It is not correct group.")))
            << slot;
    EXPECT_EQ(std::u16string(data.GetQLData(14).QLPath), u"\\Windows\\calc.exe");
    for (int slot : {0, 15})
        EXPECT_EQ(data.GetQLData(slot).PK, 1000) << slot;
    EXPECT_EQ(std::pair(data.GetSkinPath(), data.CheckSkin()),
              std::pair(CString(u"Skin route is not selected."), 1u));
    for (auto [path, read] : {std::pair(std::u16string(u"\\My Documents\\skin.jpg"), true),
                              {std::u16string(129, u's'), true},
                              {std::u16string(130, u's'), false}}) {
        Bytes bytes{path};
        data.ApplySkin(bytes.data(), bytes.count());
        EXPECT_EQ(data.GetSkinPath(), read ? path.c_str() : u"Skin route is not selected.")
            << path.size();
    }
    data.SkinToggle(0);
    EXPECT_EQ(data.CheckSkin(), 0u);
}

TEST_F(Store, FreedSlotsAreReusedLowestFirstAndFullTablesOrOtherSlotsRefuseWritingNothing) {
    CPXRegData data;
    data.InitRegistry();
    Bytes name{u"x"};
    for (int n = 1; n < 20; ++n)
        ASSERT_EQ(data.InsertRegGroups(name.data(), name.count(), 0), n);
    for (int n = 0; n < 50; ++n)
        ASSERT_EQ(data.InsertRegExe(name.data(), name.count(), name.data(), name.count()), n);
    for (int n = 0; n < 15; ++n)
        ASSERT_EQ(data.InsertRegQL(name.data(), name.count()), n);
    const Tree full = Dump();
    EXPECT_EQ(std::tuple(full.at(u"Groups").at(u"GROUPCOUNT"), full.at(u"EXEs").at(u"EXEICONCOUNT"),
                         full.at(u"QL").at(u"QLCOUNT")),
              std::tuple(Dword(20), Dword(50), Dword(15)));
    EXPECT_EQ(data.InsertRegGroups(name.data(), name.count(), 0), -1);
    EXPECT_EQ(data.InsertRegExe(name.data(), name.count(), name.data(), name.count()), -1);
    EXPECT_EQ(data.InsertRegQL(name.data(), name.count()), -1);
    // Slots outside their range are let alone.
    for (int slot : {-1, 50, 100, 1000}) {
        data.DeleteRegGroups(slot);
        data.ModifyRegGroups(name.data(), name.count(), slot);
        data.DeleteRegExe(slot, 0);
        data.ModifyRegExe(name.data(), name.count(), slot, 0, 1);
        data.DeleteRegQL(slot);
    }
    EXPECT_EQ(Dump(), full);
    EXPECT_EQ(std::tuple(data.m_nGroupCount, data.m_nExeIconCount, data.m_nQLCount),
              std::tuple(20, 50, 15));
    data.DeleteRegGroups(3);
    data.DeleteRegGroups(7);
    data.DeleteRegQL(9);
    data.DeleteRegQL(4);
    Bytes again{u"Again"};
    EXPECT_EQ(data.InsertRegGroups(again.data(), again.count(), 2), 3);
    EXPECT_EQ(
        std::tuple(std::u16string(data.GetGroupData(3).GroupName), data.GetGroupData(3).IconCount),
        std::tuple(u"Again", 2));
    EXPECT_EQ(data.InsertRegQL(again.data(), again.count()), 4);
    EXPECT_EQ(std::tuple(data.m_nGroupCount, data.m_nQLCount), std::tuple(19, 14));
    EXPECT_EQ(Dump()[u"Groups"][u"GROUPCOUNT"], Dword(19));
    // A program whose path cannot be read still holds its slot.
    data.DeleteRegExe(0, 0);
    Set(Slot(u"EXEs", 0), u"IconName", Text(u"Hidden"));
    Set(Slot(u"EXEs", 0), u"IconPath", Text(std::u16string(200, u'p')));
    EXPECT_EQ(data.InsertRegExe(name.data(), name.count(), name.data(), name.count()), -1);
}

TEST_F(Store, ProgramsMoveBetweenGroupCountsAndLeaveOnlyTheirNumber) {
    CPXRegData stale, data;
    stale.InitRegistry();
    data.InitRegistry();
    Bytes path{u"\\p.exe"}, name{u"p"}, group{u"Games"}, renamed{u"Pinball"};
    EXPECT_EQ(data.InsertRegExe(path.data(), path.count(), name.data(), name.count()), 0);
    // A program joins group 0, counted from the store rather than from a stale object.
    EXPECT_EQ(stale.InsertRegExe(path.data(), path.count(), name.data(), name.count()), 1);
    EXPECT_EQ(std::pair(stale.m_nGroup0IconCount, stale.GetGroupData(0).IconCount),
              std::pair(2, 2));
    const int games = data.InsertRegGroups(group.data(), group.count(), 0);
    data.ModifyRegExe(renamed.data(), renamed.count(), 0, 0, games);
    EXPECT_EQ(std::pair(data.GetGroupData(0).IconCount, data.GetGroupData(games).IconCount),
              std::pair(1, 1));
    data.ModifyRegExe(renamed.data(), renamed.count(), 0, games, games);
    EXPECT_EQ(data.GetGroupData(games).IconCount, 1) << "renamed within its group";
    const EXEDATA exe = data.GetExeData(0);
    EXPECT_EQ(
        std::tuple(exe.GroupPosition, std::u16string(exe.IconName), std::u16string(exe.IconPath)),
        std::tuple(games, u"Pinball", u"\\p.exe"));
    data.DeleteRegGroups(games); // its programs keep naming it
    data.DeleteRegExe(1, 0);
    const Tree tree = Dump();
    EXPECT_EQ(tree.at(Slot(u"Groups", games)),
              (Values{{u"PK", Dword(games)}, {u"IconCount", Dword(0)}}));
    EXPECT_EQ(tree.at(u"EXEs\\EXEs1"), (Values{{u"PK", Dword(1)}, {u"GroupPosition", Dword(0)}}));
    EXPECT_EQ(std::pair(tree.at(u"EXEs").at(u"EXEICONCOUNT"),
                        tree.at(u"Groups\\Groups0").at(u"IconCount")),
              std::pair(Dword(0), Dword(0)))
        << "the program count read at start (1, as the stale object wrote it) less one";
    EXPECT_EQ(data.GetExeData(0).GroupPosition, games);
    // Favourites name no stored group: no group key changes.
    const Tree groups = Dump(u"\\Groups");
    data.ModifyRegExe(name.data(), name.count(), 0, -1, 100);
    EXPECT_EQ(Dump(u"\\Groups"), groups);
    EXPECT_EQ(data.GetExeData(0).GroupPosition, 100);
}

} // namespace
