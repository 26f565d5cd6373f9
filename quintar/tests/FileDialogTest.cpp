#include <quintar/CPXFileDialog.h>

#include <platform/Files.h>

#include <testsupport/DeviceFolder.h>
#include <testsupport/DialogDriver.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::DialogDriver;
using testsupport::ModalScript;
using Rows = std::vector<std::u16string>;

int RowOf(DialogDriver& d, std::u16string_view name) {
    const Rows rows = d.Rows(IDC_FILELIST);
    const auto it = std::find(rows.begin(), rows.end(), name);
    EXPECT_NE(it, rows.end()) << "no row " << std::string(name.begin(), name.end());
    return it == rows.end() ? 0 : static_cast<int>(it - rows.begin());
}

void Open(DialogDriver& d, std::u16string_view name) {
    d.DoubleTap(IDC_FILELIST, RowOf(d, name));
}

void ChooseType(DialogDriver& d, int filter) {
    d.Select(IDC_FILETYPE, filter);
}

class ProgramDialog : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        m_apps = Device() / "Windows" / "Apps";
        const std::chrono::sys_seconds noon =
            std::chrono::sys_days{std::chrono::year{2003} / 5 / 23} + std::chrono::hours{12};
        for (const char* name : {"A.exe", "B.txt", "c.lnk", "notes", "my.notes.txt"})
            testsupport::WriteFile(m_apps / name, "x");
        testsupport::WriteFile(m_apps / "sized.exe", std::string(1234, 'x'));
        testsupport::WriteFile(m_apps / "empty.exe", "");
        testsupport::WriteFile(m_apps / ".hidden", "x");
        testsupport::WriteFile(m_apps / "run", "#!/bin/sh\n");
        fs::permissions(m_apps / "run", fs::perms::owner_exec, fs::perm_options::add);
        testsupport::WriteFile(m_apps / "tool.desktop", "[Desktop Entry]\nType=Application\n"
                                                        "Name=Tool\nName[de]=Werkzeug\nExec=t\n");
        fs::create_directories(m_apps / "sub");
        testsupport::WriteFile(m_apps / "sub" / "deep.txt", "x");
        fs::create_directories(m_apps / "locked");
        fs::permissions(m_apps / "locked",
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        fs::last_write_time(m_apps / "sized.exe", std::chrono::file_clock::from_sys(noon));
        testsupport::WriteFile(Device() / "Windows" / "calc.exe", "x");
        testsupport::WriteFile(Device() / "Windows" / "Readme.txt", "x");
        testsupport::WriteFile(Device() / "Windows" / "Help.lnk", "x");
    }

    // Runs the dialog with the step, then answers with `answer`.
    INT_PTR Run(std::function<void(DialogDriver&)> step, int answer = IDCANCEL) {
        m_script.Then([&](DialogDriver& d) {
            step(d);
            return answer;
        });
        return m_dialog.DoModal();
    }

    fs::path m_apps;
    CPXFileDialog m_dialog;
    ModalScript m_script;
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
    Run([&](DialogDriver& d) {
        EXPECT_EQ(d.Rows(IDC_FILELIST), expected);
        EXPECT_NE(RowOf(d, u"Windows"), 0) << "the device's Windows folder";
        EXPECT_EQ(d.Rows(IDC_FILETYPE), (Rows{u"All files (*.*)", u"exe files (*.exe)"}));
        EXPECT_EQ(d.Selected(IDC_FILETYPE), 0);
        EXPECT_FALSE(d.Enabled(IDC_FILENAME));
        EXPECT_FALSE(d.Shown(IDC_UPPER));
        // ".." at the root lists the root again.
        d.DoubleTap(IDC_FILELIST, 0);
        EXPECT_EQ(d.Rows(IDC_FILELIST), expected);
    });
}

TEST_F(ProgramDialog, EachTypeListsItsFilesWithTheirSizesAndDates) {
    Run([&](DialogDriver& d) {
        Open(d, u"Windows");
        Open(d, u"Apps");
        EXPECT_EQ(d.Rows(IDC_FILELIST),
                  (Rows{u"..", u"tool.desktop", u"sub", u"sized.exe", u"run", u"notes",
                        u"my.notes.txt", u"locked", u"empty.exe", u"c.lnk", u"B.txt", u"A.exe"}));
        const int sized = RowOf(d, u"sized.exe");
        EXPECT_EQ(d.Cell(IDC_FILELIST, sized, 1), u"1234");
        EXPECT_EQ(d.Cell(IDC_FILELIST, sized, 2), u"5/23/2003");
        EXPECT_EQ(d.Cell(IDC_FILELIST, RowOf(d, u"empty.exe"), 1), u"Folder");
        EXPECT_EQ(d.Cell(IDC_FILELIST, RowOf(d, u"sub"), 1), u"Folder");
        ChooseType(d, 1);
        EXPECT_EQ(d.Rows(IDC_FILELIST), (Rows{u"..", u"tool.desktop", u"sub", u"sized.exe", u"run",
                                              u"locked", u"empty.exe", u"A.exe"}))
            << "programs: names ending in exe, executables and desktop entries";
        Open(d, u"locked");
        EXPECT_EQ(d.Rows(IDC_FILELIST), (Rows{u".."})) << "a read-only folder is entered";
    });
}

TEST_F(ProgramDialog, TheWindowsFolderListsProgramsAndShortcutsWhateverTheType) {
    Run([&](DialogDriver& d) {
        Open(d, u"Windows");
        const Rows rows = d.Rows(IDC_FILELIST);
        EXPECT_NE(std::find(rows.begin(), rows.end(), u"calc.exe"), rows.end());
        EXPECT_NE(std::find(rows.begin(), rows.end(), u"Help.lnk"), rows.end());
        EXPECT_EQ(std::find(rows.begin(), rows.end(), u"Readme.txt"), rows.end());
        Open(d, u"Apps");
        EXPECT_EQ(d.Rows(IDC_FILELIST).size(), 12u) << "below it the type chosen holds again";
        d.DoubleTap(IDC_FILELIST, 0);
        d.DoubleTap(IDC_FILELIST, 0);
        EXPECT_NE(RowOf(d, u"Windows"), 0) << "up twice is the root";
    });
}

TEST_F(ProgramDialog, ChoosingGivesThePathAndTheTitle) {
    struct Case {
        const char16_t* folder;
        const char16_t* name;
        const char16_t* path;
        const char16_t* title;
    } cases[] = {
        {nullptr, u"calc.exe", u"\\Windows\\calc.exe", u"calc"},
        {u"Apps", u"my.notes.txt", u"\\Windows\\Apps\\my.notes.txt", u"my"},
        {u"Apps", u"run", u"\\Windows\\Apps\\run", u"run"},
        {u"Apps", u"tool.desktop", u"\\Windows\\Apps\\tool.desktop", u"Tool"},
    };
    for (const Case& c : cases) {
        CPXFileDialog dialog;
        m_script.Then([&](DialogDriver& d) {
            Open(d, u"Windows");
            if (c.folder)
                Open(d, c.folder);
            Open(d, c.name);
            return IDCANCEL;
        });
        EXPECT_EQ(dialog.DoModal(), IDOK) << std::string(c.name, c.name + 3);
        EXPECT_EQ(dialog.GetPathName(), CString(c.path));
        EXPECT_EQ(dialog.GetFileTitle(), CString(c.title));
    }
}

TEST_F(ProgramDialog, ADesktopEntryIsTitledInTheUsersLanguage) {
    const char* lang = std::getenv("LANG");
    const std::string saved = lang ? lang : "";
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "de_DE.UTF-8", 1);
    m_script.Then([&](DialogDriver& d) {
        Open(d, u"Windows");
        Open(d, u"Apps");
        d.Select(IDC_FILELIST, RowOf(d, u"tool.desktop"));
        EXPECT_EQ(d.Text(IDC_FILENAME), u"tool.desktop");
        return IDOK;
    });
    EXPECT_EQ(m_dialog.DoModal(), IDOK);
    saved.empty() ? unsetenv("LANG") : setenv("LANG", saved.c_str(), 1);
    EXPECT_EQ(m_dialog.GetFileTitle(), CString(u"Werkzeug"));
}

TEST_F(ProgramDialog, WhatIsNoFileIsRefusedAndTheDialogStaysOpen) {
    using Step = std::function<void(DialogDriver&)>;
    const Step steps[] = {
        [](DialogDriver& d) { d.Press(IDOK); },                                // nothing tapped
        [](DialogDriver& d) { d.Select(IDC_FILELIST, RowOf(d, u"Windows")); }, // a folder
        [](DialogDriver& d) { d.Select(IDC_FILELIST, 0); },                    // ".."
        [](DialogDriver& d) {
            Open(d, u"Windows");
            Open(d, u"Apps");
            Open(d, u"notes"); // no "." and no program
        },
    };
    for (const Step& step : steps) {
        CPXFileDialog dialog;
        m_script.Then([&](DialogDriver& d) {
            step(d);
            d.Press(IDOK);
            EXPECT_NE(FindWindowW(nullptr, u"Dialog"), nullptr);
            return IDCANCEL;
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
}

TEST_F(ProgramDialog, AnEntryGoneSinceTheListingRefreshesTheFolder) {
    Run([&](DialogDriver& d) {
        Open(d, u"Windows");
        Open(d, u"Apps");
        fs::remove(m_apps / "A.exe");
        testsupport::WriteFile(m_apps / "New.exe", "x");
        Open(d, u"A.exe");
        const Rows rows = d.Rows(IDC_FILELIST);
        EXPECT_EQ(std::find(rows.begin(), rows.end(), u"A.exe"), rows.end());
        EXPECT_NE(std::find(rows.begin(), rows.end(), u"New.exe"), rows.end());
        Open(d, u"sub");
        EXPECT_EQ(d.Rows(IDC_FILELIST), (Rows{u"..", u"deep.txt"})) << "still in Apps before";
    });
    EXPECT_EQ(m_dialog.GetPathName(), CString());
}

} // namespace
