#include "LauncherFixture.h"

#include "LauncherValues.h"
#include "SettingTemplates.h"

#include <platform/Hotkeys.h>
#include <testsupport/FileDialogRuns.h>
#include <testsupport/ImageFiles.h>

namespace {

using namespace tovalo::test;
using testsupport::DialogDriver;

class Settings : public LauncherTest {
protected:
    // Opens the sheet: the step does what a person does on it, each file dialog it opens
    // double taps down to the next path given, and the sheet ends with the button given.
    // The steps are kept by value: a sheet that fails to open leaves them queued for a later run.
    void RunSheet(int button, const Texts& chosen, std::function<void(DialogDriver&)> step) {
        m_modals.Then([button, step = std::move(step)](DialogDriver& sheet) {
            step(sheet);
            return button;
        });
        for (const auto& path : chosen)
            m_modals.Then([path](DialogDriver& d) {
                testsupport::OpenPath(d, path);
                return IDCANCEL;
            });
        Frame().SendMessage(WM_COMMAND, ID_SETTING, 0);
    }
    // A value at the root of the launcher's key, or what stands for its absence.
    static int Stored(const WCHAR* name, int absent = -1) {
        ReadLauncherValue(name, absent, false);
        return absent;
    }
};

TEST_F(Settings, AtEachLimitTheMessageShowsBeforeAnyDialogAndNothingChanges) {
    Texts groups;
    std::vector<std::pair<std::u16string, int>> programs;
    for (int i = 0; i < 50; ++i) {
        if (i < 18)
            groups.push_back(FormatString(u"G%d", i));
        programs.emplace_back(FormatString(u"P%d", i), 0);
    }
    Store(groups, programs, 15);
    Start();
    RunSheet(IDOK, {}, [](DialogDriver& sheet) {
        DialogDriver page = sheet.Page(0);
        page.Type(IDC_GROUPNAME, u"New");
        page.Click(IDC_ADDEXE);
        page.Click(IDC_ADDGROUP);
        sheet.Page(1).Click(IDC_ADDQL);
    });
    EXPECT_EQ(m_messages,
              (Texts{u"Registable programs can't exceed 50.", u"You can register groups up to 19.",
                     u"You can register quick start up to 15."}));
    EXPECT_EQ(m_modals.Titles(), Texts{u"Tovalo Setting"}) << "no file dialog";
    EXPECT_EQ(View().m_GroupList.m_List.GetCount(), 19);
}

TEST_F(Settings, GroupsAreAddedRenamedAndDeletedAsThePageAllowsAndStoredAtOnce) {
    Store({u"Office", u"B", u"C"}, {{u"Word", 1}});
    Start();
    const struct {
        const char16_t* name;
        UINT button;
        int row; // selected first unless -1
        const char16_t* message;
    } cases[] = {
        {u"OFFICE", IDC_ADDGROUP, -1, u"Group name you choose is already exist."},
        {u"", IDC_ADDGROUP, -1, nullptr},
        {u"", IDC_DELGROUP, 0, u" etc. group can't be deleted"},
        {u"", IDC_DELGROUP, 1, u"Please delete included ExeIcon."},
        {u"", IDC_DELGROUP, 2, nullptr},  // B goes
        {u"", IDC_DELGROUP, -1, nullptr}, // no selection is left to delete
        {u"C2", IDC_MODGROUP, 2, nullptr},
        {u"Off", IDC_ADDGROUP, -1, nullptr}, // into the freed slot, named like "Office"
    };
    RunSheet(IDCANCEL, {}, [&](DialogDriver& sheet) {
        DialogDriver page = sheet.Page(0);
        for (const auto& c : cases) {
            SCOPED_TRACE(&c - cases);
            m_messages.clear();
            if (c.row >= 0)
                page.Select(IDC_GROUPLIST, c.row);
            page.Type(IDC_GROUPNAME, c.name);
            page.Click(c.button);
            EXPECT_EQ(m_messages, c.message ? Texts{c.message} : Texts{});
        }
        EXPECT_EQ(page.Rows(IDC_GROUPLIST), (Texts{u"etc.", u"Office", u"Off", u"C2"}));
        EXPECT_EQ(page.Rows(IDC_GROUPCHOICE), (Texts{u"etc.", u"Office", u"Off", u"C2"}));
        // Selecting a program selects its group, not one with a name like it.
        page.Select(IDC_EXELIST, 0);
        EXPECT_EQ(page.Selected(IDC_GROUPCHOICE), 1);
        EXPECT_EQ(page.Text(IDC_EXENAME), u"Word");
    });
    EXPECT_EQ(GroupNames(), (Texts{u"etc.", u"Office", u"Off", u"C2"}));
}

TEST_F(Settings, AChosenProgramIsAddedAndMovedUnlessItsPathIsTooLongToReadBack) {
    Store({u"Tools"}, {{u"Alpha", 0}, {u"Beta", 1}});
    Start();
    const std::u16string folder(120, u'f');
    Put(std::string(120, 'f') + "/long.exe", "x");
    const Texts chosen{Put("calc.exe", "x"), u"\\Windows\\" + folder + u"\\long.exe"};
    RunSheet(IDOK, chosen, [](DialogDriver& sheet) {
        DialogDriver page = sheet.Page(0);
        page.Click(IDC_ADDEXE);
        EXPECT_EQ(page.Rows(IDC_EXELIST), (Texts{u"Alpha", u"Beta", u"calc"}));
        page.Select(IDC_EXELIST, 2);
        page.Select(IDC_GROUPCHOICE, 1);
        page.Type(IDC_EXENAME, u"Calculator");
        page.Click(IDC_MODEXE);
        page.Select(IDC_EXELIST, 0);
        page.Click(IDC_DELEXE);
        page.Click(IDC_ADDEXE);
        EXPECT_EQ(page.Rows(IDC_EXELIST), (Texts{u"Beta", u"Calculator"}));
    });
    EXPECT_EQ(m_messages, Texts{u"The path is too long (129 characters at most)."});
    EXPECT_EQ(ProgramNames(), (Texts{u"Beta", u"Calculator"})) << "the column follows on close";
    EXPECT_EQ(View().m_GroupList.GetIcon(1).IconCount, 2);
    EXPECT_EQ(View().m_GroupList.GetIcon(0).IconCount, 0);
}

TEST_F(Settings, TheFavouritesGroupComesAndGoesWithItsCheckBox) {
    Store({u"Tools"}, {{u"Alpha", 0}});
    Start();
    Put("Favorites/News.url", "[InternetShortcut]\nURL=http://example.org/\n");
    RunSheet(IDOK, {}, [&](DialogDriver& sheet) {
        DialogDriver page = sheet.Page(0);
        page.Click(IDC_SHOWFAVORITE);
        EXPECT_EQ(Stored(u"CheckFavorite"), 1);
        EXPECT_EQ(Stored(u"FavoritePK"), 2);
        EXPECT_EQ(page.Rows(IDC_GROUPLIST), (Texts{u"etc.", u"Tools", u"MyFavorite"}));
        EXPECT_EQ(View().m_ExeList.m_List.GetCount(), 2) << "the favourite joins the programs";
        m_messages.clear();
        page.Select(IDC_GROUPCHOICE, 2);
        EXPECT_EQ(page.Selected(IDC_GROUPCHOICE), 0);
        page.Select(IDC_GROUPLIST, 2);
        page.Click(IDC_DELGROUP);
        page.Click(IDC_MODGROUP);
        EXPECT_EQ(m_messages, (Texts{u"MyFavorite group is automatic creation.",
                                     u"Please cancel the Show Favorite check.",
                                     u"Myfavorite name can't be modified."}));
        Put("Favorites/Mail.url", "[InternetShortcut]\nURL=http://example.org/mail\n");
        page.Click(IDC_UPDATEFAVORITE);
        EXPECT_EQ(page.Rows(IDC_GROUPLIST), (Texts{u"etc.", u"Tools", u"MyFavorite"}));
        EXPECT_EQ(View().m_GroupList.GetIcon(2).IconCount, 2);
        EXPECT_EQ(Stored(u"FavoritePK"), 2);
        page.Click(IDC_SHOWFAVORITE);
        EXPECT_EQ(Stored(u"CheckFavorite"), 0);
        EXPECT_EQ(page.Rows(IDC_GROUPCHOICE), (Texts{u"etc.", u"Tools"}));
        EXPECT_EQ(View().m_ExeList.m_List.GetCount(), 1);
    });
    EXPECT_EQ(GroupNames(), (Texts{u"etc.", u"Tools"}));
}

TEST_F(Settings, PageTwoAssignsHotkeysAndEditsTheQuickLaunchEntriesAtOnce) {
    Store({}, {}, 2);
    Start();
    RunSheet(IDCANCEL, {Put("calc.exe", "x")}, [&](DialogDriver& sheet) {
        EXPECT_EQ(platform::HotKeyOwner(0xC5), View().GetSafeHwnd()) << "page 1 takes all";
        DialogDriver page = sheet.Page(1);
        EXPECT_EQ(platform::HotKeyOwner(0xC5), page.Window()->GetSafeHwnd());
        EXPECT_EQ(page.Rows(IDC_HOTKEYLIST),
                  (Texts{u"HotKey 2 : View SettingDialog", u"HotKey 3 : View MainScreen"}));
        EXPECT_EQ(page.Rows(IDC_HOTKEYCHOICE), (Texts{u"View SettingDialog", u"View MainScreen"}));
        page.Focus(IDC_HOTKEYCHOICE);
        page.Window()->SendMessage(WM_HOTKEY, 0xC9, 0);
        EXPECT_EQ(page.Rows(IDC_HOTKEYLIST)[0], u"HotKey 2 : View SettingDialog")
            << "no action chosen";
        // Each row: the action chosen and the key pressed for it.
        const std::pair<int, UINT> presses[] = {{0, 0xCD}, {1, 0xCD}, {0, 0xC3}, {1, 0xCD}};
        for (auto [action, key] : presses) {
            page.Select(IDC_HOTKEYCHOICE, action);
            page.Window()->SendMessage(WM_HOTKEY, key, 0);
        }
        EXPECT_EQ(page.Rows(IDC_HOTKEYLIST),
                  (Texts{u"HotKey 13 : View SettingDialog", u"HotKey 3 : View MainScreen"}));
        EXPECT_EQ(page.Rows(IDC_QLLIST), (Texts{u"\\Windows\\q0.exe", u"\\Windows\\q1.exe"}));
        page.Select(IDC_QLLIST, 0);
        page.Click(IDC_DELQL);
        page.Click(IDC_DELQL);
        page.Click(IDC_ADDQL);
        EXPECT_EQ(page.Rows(IDC_QLLIST), (Texts{u"\\Windows\\calc.exe", u"\\Windows\\q1.exe"}));
    });
    EXPECT_EQ(m_messages, (Texts(3, u"Same key is selected")));
    EXPECT_EQ(Stored(u"SetKey"), 13);
    EXPECT_EQ(Stored(u"HideKey", 3), 3) << "a refused key is not kept to be compared with later";
    EXPECT_EQ(platform::HotKeyOwner(0xCD), View().GetSafeHwnd());
    EXPECT_EQ(platform::HotKeyOwner(0xC3), View().GetSafeHwnd());
    EXPECT_EQ(platform::HotKeyOwner(0xC5), nullptr) << "the other keys are let go";
    ASSERT_EQ(View().m_QLList.m_List.GetCount(), 2);
    EXPECT_EQ(std::u16string(View().m_QLList.GetIcon(0).QLPath), u"\\Windows\\calc.exe");
}

TEST_F(Settings, TheSkinChangesOnlyWithOkAndOnlyWhenItsControlsChanged) {
    Start();
    // Window handles are never used twice; objects may come back at the same address.
    auto windows = [&] { return View().m_pIconListWnd->GetSafeHwnd(); };
    const HWND first = windows();
    // Browse, then Cancel: the path is stored and shown next time, the screen stays.
    RunSheet(IDCANCEL, {Put("sky.bmp", testsupport::MakeSolidBmp(240, 294, 0x285ac8))},
             [](DialogDriver& sheet) {
                 DialogDriver page = sheet.Page(1);
                 EXPECT_EQ(page.Text(IDC_SKINPATH), u"Skin route is not selected.");
                 page.Click(IDC_DEFAULTSKIN);
                 EXPECT_TRUE(page.Checked(IDC_DEFAULTSKIN));
                 page.Click(IDC_BROWSESKIN);
             });
    EXPECT_EQ(m_messages, Texts{u"Please select skin file first to apply new skin."});
    EXPECT_EQ(windows(), first);
    EXPECT_EQ(View().m_RegData.CheckSkin(), 1u);
    RunSheet(IDOK, {}, [](DialogDriver& sheet) {
        EXPECT_EQ(sheet.Page(1).Text(IDC_SKINPATH), u"\\Windows\\sky.bmp");
    });
    EXPECT_EQ(windows(), first) << "OK with nothing changed re-creates nothing";
    // Unchecked, then OK: the picture is the skin; checked again: the built-in one. Both on
    // new windows.
    for (DWORD state : {0u, 1u}) {
        const HWND before = windows();
        RunSheet(IDOK, {}, [](DialogDriver& sheet) { sheet.Page(1).Click(IDC_DEFAULTSKIN); });
        EXPECT_NE(windows(), before);
        EXPECT_EQ(View().m_RegData.CheckSkin(), state);
        EXPECT_EQ(Shown(200, 100) == RGB(40, 90, 200), state == 0);
    }
}

} // namespace
