#include <quintar/CPXFileDialog.h>

#include <testsupport/DeviceFolder.h>
#include <testsupport/FileDialogRuns.h>

#include <chrono>
#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using testsupport::DialogDriver;
using testsupport::OpenPath;
using testsupport::RowOf;
using testsupport::RunDialog;
using Rows = std::vector<std::u16string>;

class ProgramDialog : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        m_apps = Device() / "Windows" / "Apps";
        for (const char* name : {"A.exe", "B.txt", "c.lnk", "notes", "my.notes.txt", ".hidden"})
            testsupport::WriteFile(m_apps / name, "x");
        testsupport::WriteFile(m_apps / "sized.exe", std::string(1234, 'x'));
        testsupport::WriteFile(m_apps / "empty.exe", "");
        testsupport::WriteFile(m_apps / "run", "#!/bin/sh\n");
        fs::permissions(m_apps / "run", fs::perms::owner_exec, fs::perm_options::add);
        testsupport::WriteFile(m_apps / "tool.desktop", "[Desktop Entry]\nType=Application\n"
                                                        "Name=Tool\nName[de]=Werkzeug\nExec=t\n");
        testsupport::WriteFile(m_apps / "sub" / "deep.txt", "x");
        fs::create_directories(m_apps / "locked");
        fs::permissions(m_apps / "locked",
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        const std::chrono::sys_seconds noon =
            std::chrono::sys_days{std::chrono::year{2003} / 5 / 23} + std::chrono::hours{12};
        fs::last_write_time(m_apps / "sized.exe", std::chrono::file_clock::from_sys(noon));
        for (const char* name : {"calc.exe", "Readme.txt", "Help.lnk"})
            testsupport::WriteFile(Device() / "Windows" / name, "x");
    }

    fs::path m_apps;
    CPXFileDialog m_dialog;
};

TEST_F(ProgramDialog, StartsAtTheRootWithEveryEntryBelowDotDotInReverseOrder) {
    Rows expected{u".."};
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(u"\\*.*", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        if (data.cFileName[0] != u'.')
            expected.insert(expected.begin() + 1, data.cFileName);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    RunDialog(m_dialog, [&](DialogDriver& d) {
        EXPECT_EQ(d.Rows(IDC_FILELIST), expected);
        EXPECT_GT(RowOf(d, u"Windows"), 0) << "the device's Windows folder";
        EXPECT_EQ(d.Rows(IDC_FILETYPE), (Rows{u"All files (*.*)", u"exe files (*.exe)"}));
        EXPECT_EQ(d.Selected(IDC_FILETYPE), 0);
        EXPECT_FALSE(d.Enabled(IDC_FILENAME));
        EXPECT_FALSE(d.Shown(IDC_UPPER));
        d.DoubleTap(IDC_FILELIST, 0);
        EXPECT_EQ(d.Rows(IDC_FILELIST), expected) << "\"..\" at the root lists the root again";
    });
}

TEST_F(ProgramDialog, EachTypeListsItsEntriesAndGivesTheFileChosenWithItsTitle) {
    testsupport::ExpectRuns<CPXFileDialog>({
        // Below \Windows, which lists programs and shortcuts whatever the type, the type holds.
        {0,
         u"\\Windows\\Apps",
         {u"..", u"tool.desktop", u"sub", u"sized.exe", u"run", u"notes", u"my.notes.txt",
          u"locked", u"empty.exe", u"c.lnk", u"B.txt", u"A.exe"}},
        // Programs: names ending in exe, executables and desktop entries.
        {1,
         u"\\Windows\\Apps",
         {u"..", u"tool.desktop", u"sub", u"sized.exe", u"run", u"locked", u"empty.exe", u"A.exe"}},
        {1, u"\\Windows\\Apps\\locked", {u".."}}, // a read-only folder is entered
        {0, u"\\Windows\\calc.exe", {}, u"calc"},
        {0, u"\\Windows\\Apps\\my.notes.txt", {}, u"my"},
        {0, u"\\Windows\\Apps\\run", {}, u"run"},
        {0, u"\\Windows\\Apps\\tool.desktop", {}, u"Tool"},
    });
}

TEST_F(ProgramDialog, TheWindowsFolderListsProgramsAndShortcutsAndEntriesShowSizesAndDates) {
    RunDialog(m_dialog, [&](DialogDriver& d) {
        OpenPath(d, u"\\Windows");
        EXPECT_GT(RowOf(d, u"calc.exe"), 0);
        EXPECT_GT(RowOf(d, u"Help.lnk"), 0);
        EXPECT_EQ(RowOf(d, u"Readme.txt"), -1);
        OpenPath(d, u"\\Apps");
        EXPECT_EQ(d.Cell(IDC_FILELIST, RowOf(d, u"sized.exe"), 1), u"1234");
        EXPECT_EQ(d.Cell(IDC_FILELIST, RowOf(d, u"sized.exe"), 2), u"5/23/2003");
        EXPECT_EQ(d.Cell(IDC_FILELIST, RowOf(d, u"empty.exe"), 1), u"Folder");
        EXPECT_EQ(d.Cell(IDC_FILELIST, RowOf(d, u"sub"), 1), u"Folder");
        d.DoubleTap(IDC_FILELIST, 0);
        d.DoubleTap(IDC_FILELIST, 0);
        EXPECT_GT(RowOf(d, u"Windows"), 0) << "up twice is the root";
    });
}

TEST_F(ProgramDialog, ADesktopEntryIsTitledInTheUsersLanguage) {
    const char* lang = std::getenv("LANG");
    const std::string saved = lang ? lang : "";
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "de_DE.UTF-8", 1);
    auto choose = [](DialogDriver& d) {
        OpenPath(d, u"\\Windows\\Apps");
        d.Select(IDC_FILELIST, RowOf(d, u"tool.desktop"));
        EXPECT_EQ(d.Text(IDC_FILENAME), u"tool.desktop");
    };
    const INT_PTR answer = RunDialog(m_dialog, choose, IDOK);
    saved.empty() ? unsetenv("LANG") : setenv("LANG", saved.c_str(), 1);
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(m_dialog.GetFileTitle(), CString(u"Werkzeug"));
}

TEST_F(ProgramDialog, WhatIsNoFileIsRefusedAndTheDialogStaysOpen) {
    using Step = std::function<void(DialogDriver&)>;
    const Step steps[] = {
        [](DialogDriver&) {},                                                  // nothing tapped
        [](DialogDriver& d) { d.Select(IDC_FILELIST, RowOf(d, u"Windows")); }, // a folder
        [](DialogDriver& d) { d.Select(IDC_FILELIST, 0); },                    // ".."
        [](DialogDriver& d) { OpenPath(d, u"\\Windows\\Apps\\notes"); },    // no "." and no program
        [](DialogDriver& d) { d.Select(IDC_FILELIST, RowOf(d, u"v1.2")); }, // a folder with a "."
    };
    fs::create_directories(m_apps / "v1.2");
    // Each after the other in one run: a refused choice leaves the dialog as it was.
    auto refused = [&](DialogDriver& d) {
        for (const Step& step : steps) {
            SCOPED_TRACE(&step - steps);
            step(d);
            d.Press(IDOK);
            EXPECT_NE(FindWindowW(nullptr, u"Dialog"), nullptr);
        }
    };
    EXPECT_EQ(RunDialog(m_dialog, refused), IDCANCEL);
}

TEST_F(ProgramDialog, AnEntryGoneSinceTheListingRefreshesTheFolder) {
    RunDialog(m_dialog, [&](DialogDriver& d) {
        OpenPath(d, u"\\Windows\\Apps");
        fs::remove(m_apps / "A.exe");
        testsupport::WriteFile(m_apps / "New.exe", "x");
        d.DoubleTap(IDC_FILELIST, RowOf(d, u"A.exe"));
        EXPECT_EQ(RowOf(d, u"A.exe"), -1);
        EXPECT_GT(RowOf(d, u"New.exe"), 0);
        OpenPath(d, u"\\sub");
        EXPECT_EQ(d.Rows(IDC_FILELIST), (Rows{u"..", u"deep.txt"})) << "still in Apps before";
    });
    EXPECT_EQ(m_dialog.GetPathName(), CString());
}

} // namespace
