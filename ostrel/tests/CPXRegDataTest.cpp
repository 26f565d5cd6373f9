#include <ostrel/CPXRegData.h>

#include <testsupport/StoreDump.h>

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using storedump::Dump;
using storedump::Dword;
using storedump::Text;

const std::u16string kRoot = u"Software\\NorviSoft\\NorviLuncher";

std::u16string Slot(std::u16string_view kind, int n) {
    std::u16string base = kRoot + u"\\" + std::u16string(kind) + u"\\" + std::u16string(kind);
    std::string digits = std::to_string(n);
    return base + std::u16string(digits.begin(), digits.end());
}

std::u16string Repeat(char16_t ch, int n) {
    return std::u16string(static_cast<std::size_t>(n), ch);
}

// Text as the store takes it: UTF-16 bytes with the terminator.
struct Bytes {
    explicit Bytes(std::u16string s) : text(std::move(s)) {}
    const BYTE* data() const { return reinterpret_cast<const BYTE*>(text.c_str()); }
    int count() const { return static_cast<int>((text.size() + 1) * 2); }
    std::u16string text;
};

storedump::Tree FirstStartContent() {
    storedump::Tree tree;
    tree[u""] = {};
    tree[u"Groups"] = {{u"GROUPCOUNT", Dword(1)}};
    for (int n = 0; n < 20; ++n)
        tree[Slot(u"Groups", n).substr(kRoot.size() + 1)] = {{u"PK", Dword(n)},
                                                             {u"IconCount", Dword(0)}};
    tree[u"Groups\\Groups0"][u"GroupName"] = Text(u"etc.");
    tree[u"EXEs"] = {};
    for (int n = 0; n < 50; ++n)
        tree[Slot(u"EXEs", n).substr(kRoot.size() + 1)] = {{u"PK", Dword(n)},
                                                           {u"GroupPosition", Dword(0)}};
    tree[u"QL"] = {};
    for (int n = 0; n < 15; ++n)
        tree[Slot(u"QL", n).substr(kRoot.size() + 1)] = {{u"PK", Dword(n)}};
    tree[u"Skin"] = {{u"SkinCheck", Dword(1)}};
    return tree;
}

class Store : public testsupport::DeviceFolderTest {
protected:
    // A store that has been through its first start, as every later run sees it.
    CPXRegData Fresh() {
        CPXRegData first;
        first.InitRegistry();
        CPXRegData store;
        store.InitRegistry();
        return store;
    }
};

TEST_F(Store, FirstStartWritesExactlyTheDefaultContent) {
    CPXRegData data;
    EXPECT_EQ(data.InitRegistry(), 3333u);
    EXPECT_EQ(Dump(kRoot), FirstStartContent());
}

TEST_F(Store, FirstStartKeepsTheCountersItRead) {
    CPXRegData data;
    data.InitRegistry();
    EXPECT_EQ(data.m_nGroupCount, 0);
    EXPECT_EQ(data.m_nExeIconCount, 0);
    EXPECT_EQ(data.m_nQLCount, 0);
    EXPECT_EQ(data.m_nGroup0IconCount, 0);
    CPXRegData later;
    EXPECT_EQ(later.InitRegistry(), 4444u);
    EXPECT_EQ(later.m_nGroupCount, 1);
}

TEST_F(Store, SecondStartChangesNothing) {
    CPXRegData data;
    data.InitRegistry();
    auto before = Dump(kRoot);
    EXPECT_EQ(data.InitRegistry(), 4444u);
    EXPECT_EQ(Dump(kRoot), before);
}

TEST_F(Store, RootWithoutSlotsIsNotAFirstStart) {
    storedump::SetDword(kRoot, u"SetKey", 5);
    CPXRegData data;
    EXPECT_EQ(data.InitRegistry(), 4444u);
    EXPECT_EQ(data.GetGroupData(0).PK, 1000);
    EXPECT_EQ(data.ReturnGroupName(0), u"It is not correct group.");
    EXPECT_FALSE(storedump::KeyExists(Slot(u"EXEs", 0)));
}

TEST_F(Store, ReadsGroupSlots) {
    CPXRegData data = Fresh();
    GROUPDATA etc = data.GetGroupData(0);
    EXPECT_EQ(etc.PK, 0);
    EXPECT_EQ(std::u16string(etc.GroupName), u"etc.");
    EXPECT_EQ(etc.IconCount, 0);
    for (int slot : {1, 20, -1, 1000})
        EXPECT_EQ(data.GetGroupData(slot).PK, 1000) << slot;
    EXPECT_FALSE(storedump::KeyExists(kRoot + u"\\Groups\\Groups20"));
}

TEST_F(Store, ProgramPathsReadWithinTheirByteLimit) {
    CPXRegData data = Fresh();
    storedump::SetText(Slot(u"EXEs", 3), u"IconName", u"Long");
    storedump::SetText(Slot(u"EXEs", 3), u"IconPath", Repeat(u'p', 129));
    EXEDATA fits = data.GetExeData(3);
    EXPECT_EQ(fits.PK, 3);
    EXPECT_EQ(std::u16string(fits.IconPath), Repeat(u'p', 129));
    EXPECT_EQ(std::u16string(fits.IconName), u"Long");

    storedump::SetText(Slot(u"EXEs", 3), u"IconPath", Repeat(u'p', 130));
    EXEDATA tooLong = data.GetExeData(3);
    EXPECT_EQ(tooLong.PK, 1000);
    EXPECT_EQ(tooLong.GroupPosition, 0);
    EXPECT_EQ(std::u16string(tooLong.IconPath), u"");
    EXPECT_EQ(std::u16string(tooLong.IconName), u"");
}

TEST_F(Store, NamesLongerThanTheRecordAreCutNotOverrun) {
    CPXRegData data = Fresh();
    storedump::SetText(Slot(u"Groups", 4), u"GroupName", Repeat(u'g', 511));
    GROUPDATA group = data.GetGroupData(4);
    EXPECT_EQ(group.PK, 4);
    EXPECT_EQ(std::u16string(group.GroupName), Repeat(u'g', 259));
    EXPECT_EQ(data.ReturnGroupName(4), Repeat(u'g', 511).c_str());

    storedump::SetText(Slot(u"Groups", 4), u"GroupName", Repeat(u'g', 512));
    EXPECT_EQ(data.GetGroupData(4).PK, 1000);
}

TEST_F(Store, QuickLaunchSlots) {
    CPXRegData data = Fresh();
    EXPECT_EQ(data.GetQLData(0).PK, 1000);
    storedump::SetText(Slot(u"QL", 14), u"QLPath", u"\\Windows\\calc.exe");
    QLDATA ql = data.GetQLData(14);
    EXPECT_EQ(ql.PK, 14);
    EXPECT_EQ(std::u16string(ql.QLPath), u"\\Windows\\calc.exe");
    EXPECT_EQ(data.GetQLData(15).PK, 1000);
}

TEST_F(Store, SkinPathAndState) {
    CPXRegData data = Fresh();
    EXPECT_EQ(data.GetSkinPath(), u"Skin route is not selected.");
    EXPECT_EQ(data.CheckSkin(), 1u);
    Bytes path(u"\\My Documents\\skin.jpg");
    data.ApplySkin(path.data(), path.count());
    EXPECT_EQ(data.GetSkinPath(), u"\\My Documents\\skin.jpg");
    Bytes longest(Repeat(u's', 129));
    data.ApplySkin(longest.data(), longest.count());
    EXPECT_EQ(data.GetSkinPath(), longest.text.c_str());
    Bytes tooLong(Repeat(u's', 130));
    data.ApplySkin(tooLong.data(), tooLong.count());
    EXPECT_EQ(data.GetSkinPath(), u"Skin route is not selected.");
    data.SkinToggle(0);
    EXPECT_EQ(data.CheckSkin(), 0u);
}

TEST_F(Store, ReturnGroupName) {
    CPXRegData data = Fresh();
    EXPECT_EQ(data.ReturnGroupName(0), u"etc.");
    EXPECT_EQ(data.ReturnGroupName(1), u"It is not correct group.");
    EXPECT_EQ(data.ReturnGroupName(20), u"It is not correct group.");
}

TEST_F(Store, GroupSlotsAreReusedLowestFirst) {
    CPXRegData data = Fresh();
    for (int n = 1; n <= 5; ++n) {
        Bytes name(u"G" + std::u16string(1, static_cast<char16_t>(u'0' + n)));
        EXPECT_EQ(data.InsertRegGroups(name.data(), name.count(), 0), n);
    }
    EXPECT_EQ(data.m_nGroupCount, 6);
    data.DeleteRegGroups(3);
    Bytes again(u"Again");
    EXPECT_EQ(data.InsertRegGroups(again.data(), again.count(), 2), 3);
    GROUPDATA g = data.GetGroupData(3);
    EXPECT_EQ(std::u16string(g.GroupName), u"Again");
    EXPECT_EQ(g.IconCount, 2);
    EXPECT_EQ(Dump(kRoot)[u"Groups"][u"GROUPCOUNT"], Dword(6));
}

TEST_F(Store, FullTablesRefuseAndWriteNothing) {
    CPXRegData data = Fresh();
    Bytes name(u"x");
    for (int n = 1; n < 20; ++n)
        ASSERT_EQ(data.InsertRegGroups(name.data(), name.count(), 0), n);
    for (int n = 0; n < 50; ++n)
        ASSERT_EQ(data.InsertRegExe(name.data(), name.count(), name.data(), name.count()), n);
    for (int n = 0; n < 15; ++n)
        ASSERT_EQ(data.InsertRegQL(name.data(), name.count()), n);
    auto before = Dump(kRoot);
    auto counters = std::tuple(data.m_nGroupCount, data.m_nExeIconCount, data.m_nQLCount);
    EXPECT_EQ(data.InsertRegGroups(name.data(), name.count(), 0), -1);
    EXPECT_EQ(data.InsertRegExe(name.data(), name.count(), name.data(), name.count()), -1);
    EXPECT_EQ(data.InsertRegQL(name.data(), name.count()), -1);
    EXPECT_EQ(Dump(kRoot), before);
    EXPECT_EQ(std::tuple(data.m_nGroupCount, data.m_nExeIconCount, data.m_nQLCount), counters);
    EXPECT_EQ(before[u"Groups"][u"GROUPCOUNT"], Dword(20));
    EXPECT_EQ(before[u"EXEs"][u"EXEICONCOUNT"], Dword(50));
    EXPECT_EQ(before[u"QL"][u"QLCOUNT"], Dword(15));
}

TEST_F(Store, NewProgramsJoinGroupZeroCountedFromTheStore) {
    CPXRegData stale = Fresh();
    CPXRegData other = Fresh();
    Bytes path(u"\\Windows\\a.exe");
    Bytes name(u"a");
    EXPECT_EQ(other.InsertRegExe(path.data(), path.count(), name.data(), name.count()), 0);
    EXPECT_EQ(stale.m_nGroup0IconCount, 0);
    EXPECT_EQ(stale.InsertRegExe(path.data(), path.count(), name.data(), name.count()), 1);
    EXPECT_EQ(stale.m_nGroup0IconCount, 2);
    EXPECT_EQ(stale.GetGroupData(0).IconCount, 2);
    EXEDATA exe = stale.GetExeData(1);
    EXPECT_EQ(exe.GroupPosition, 0);
    EXPECT_EQ(std::u16string(exe.IconPath), u"\\Windows\\a.exe");
}

TEST_F(Store, ModifyMovesAProgramBetweenGroupCounts) {
    CPXRegData data = Fresh();
    Bytes path(u"\\p.exe"), name(u"p"), group(u"Games");
    data.InsertRegExe(path.data(), path.count(), name.data(), name.count());
    int games = data.InsertRegGroups(group.data(), group.count(), 0);
    Bytes renamed(u"Pinball");
    data.ModifyRegExe(renamed.data(), renamed.count(), 0, 0, games);
    EXPECT_EQ(data.GetGroupData(0).IconCount, 0);
    EXPECT_EQ(data.GetGroupData(games).IconCount, 1);
    EXEDATA exe = data.GetExeData(0);
    EXPECT_EQ(exe.GroupPosition, games);
    EXPECT_EQ(std::u16string(exe.IconName), u"Pinball");
    EXPECT_EQ(std::u16string(exe.IconPath), u"\\p.exe");

    Bytes again(u"Pinball 2");
    data.ModifyRegExe(again.data(), again.count(), 0, games, games);
    EXPECT_EQ(data.GetGroupData(games).IconCount, 1);
    EXPECT_EQ(std::u16string(data.GetExeData(0).IconName), u"Pinball 2");
}

TEST_F(Store, DeletedGroupKeepsItsNumberAndItsPrograms) {
    CPXRegData data = Fresh();
    Bytes group(u"Work"), path(u"\\w.exe"), name(u"w");
    int work = data.InsertRegGroups(group.data(), group.count(), 0);
    data.InsertRegExe(path.data(), path.count(), name.data(), name.count());
    data.ModifyRegExe(name.data(), name.count(), 0, 0, work);
    data.DeleteRegGroups(work);
    auto tree = Dump(kRoot);
    storedump::Values expected{{u"PK", Dword(work)}, {u"IconCount", Dword(0)}};
    EXPECT_EQ(tree[u"Groups\\Groups1"], expected);
    EXPECT_EQ(data.GetExeData(0).GroupPosition, work);
}

TEST_F(Store, DeletedProgramLeavesOnlyItsNumber) {
    CPXRegData data = Fresh();
    Bytes path(u"\\d.exe"), name(u"d");
    data.InsertRegExe(path.data(), path.count(), name.data(), name.count());
    data.DeleteRegExe(0, 0);
    auto tree = Dump(kRoot);
    storedump::Values expected{{u"PK", Dword(0)}, {u"GroupPosition", Dword(0)}};
    EXPECT_EQ(tree[u"EXEs\\EXEs0"], expected);
    EXPECT_EQ(tree[u"EXEs"][u"EXEICONCOUNT"], Dword(0));
    EXPECT_EQ(tree[u"Groups\\Groups0"][u"IconCount"], Dword(0));
}

TEST_F(Store, ProgramWithUnreadablePathStillHoldsItsSlot) {
    CPXRegData data = Fresh();
    storedump::SetText(Slot(u"EXEs", 0), u"IconName", u"Hidden");
    storedump::SetText(Slot(u"EXEs", 0), u"IconPath", Repeat(u'p', 200));
    EXPECT_EQ(data.GetExeData(0).PK, 1000);
    Bytes path(u"\\n.exe"), name(u"n");
    EXPECT_EQ(data.InsertRegExe(path.data(), path.count(), name.data(), name.count()), 1);
}

TEST_F(Store, QuickLaunchInsertAndDelete) {
    CPXRegData data = Fresh();
    Bytes a(u"\\a.exe"), b(u"\\b.exe");
    EXPECT_EQ(data.InsertRegQL(a.data(), a.count()), 0);
    EXPECT_EQ(data.InsertRegQL(b.data(), b.count()), 1);
    data.DeleteRegQL(0);
    EXPECT_EQ(data.GetQLData(0).PK, 1000);
    EXPECT_EQ(data.m_nQLCount, 1);
    EXPECT_EQ(data.InsertRegQL(b.data(), b.count()), 0);
}

TEST_F(Store, SlotNumbersOutsideTheirRangeWriteNothing) {
    CPXRegData data = Fresh();
    auto before = Dump(kRoot);
    Bytes name(u"n");
    for (int slot : {-1, 50, 100, 1000}) {
        data.DeleteRegGroups(slot);
        data.ModifyRegGroups(name.data(), name.count(), slot);
        data.DeleteRegExe(slot, 0);
        data.ModifyRegExe(name.data(), name.count(), slot, 0, 1);
        data.DeleteRegQL(slot);
    }
    EXPECT_EQ(Dump(kRoot), before);
    EXPECT_EQ(data.m_nGroupCount, 1);
    EXPECT_EQ(data.m_nExeIconCount, 0);
    EXPECT_EQ(data.m_nQLCount, 0);
}

TEST_F(Store, ProgramsNamingNoGroupTouchNoGroupKey) {
    CPXRegData data = Fresh();
    Bytes path(u"\\f.url"), name(u"f");
    data.InsertRegExe(path.data(), path.count(), name.data(), name.count());
    auto groupsBefore = Dump(kRoot + u"\\Groups");
    data.ModifyRegExe(name.data(), name.count(), 0, -1, 100);
    EXPECT_EQ(Dump(kRoot + u"\\Groups"), groupsBefore);
    EXPECT_EQ(data.GetExeData(0).GroupPosition, 100);
}

} // namespace
