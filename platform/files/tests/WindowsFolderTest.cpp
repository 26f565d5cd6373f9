#include <platform/Device.h>
#include <platform/Files.h>

#include "files/WindowsFolderSeeder.h"

#include <testsupport/DeviceFolder.h>

#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;
using platform::detail::WindowsFolderSeeder;
using testsupport::ReadFile;
using testsupport::WriteFile;
using Names = std::set<std::string>;

namespace {

std::string Entry(const std::string& body) {
    return "[Desktop Entry]\nType=Application\nExec=true\n" + body;
}

// A host with a user's and two system application folders of fixture entries.
class WindowsFolder : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        m_host = Device() / "host";
        m_user = m_host / "user" / "applications";
        m_system = m_host / "sys1" / "applications";
        m_other = m_host / "sys2" / "applications";
        setenv("XDG_DATA_HOME", (m_host / "user").c_str(), 1);
        setenv("XDG_DATA_DIRS",
               ((m_host / "sys1").string() + ":" + (m_host / "sys2").string() + ":relative/ignored")
                   .c_str(),
               1);
        setenv("XDG_CURRENT_DESKTOP", "Other:TestDesk", 1);
        setenv("LANG", "de_DE.UTF-8", 1);
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
    }
    void Fill() {
        const std::pair<fs::path, std::string> files[] = {
            {m_user / "editor.desktop", Entry("Name=Text Editor\n")},
            {m_system / "editor.desktop", Entry("Name=System Editor\n")},
            {m_other / "editor.desktop", Entry("Name=Third Editor\n")},
            {m_system / "removed.desktop", Entry("Name=Removed\n")},
            {m_user / "removed.desktop", Entry("Name=Removed\nHidden=true\n")},
            {m_system / "quiet.desktop", Entry("Name=Quiet\nNoDisplay=true\n")},
            {m_system / "elsewhere.desktop", Entry("Name=Elsewhere\nNotShowIn=TestDesk;\n")},
            {m_system / "kdeonly.desktop", Entry("Name=Kde Only\nOnlyShowIn=KDE;\n")},
            {m_system / "here.desktop", Entry("Name=Here\nOnlyShowIn=KDE;TestDesk;\n")},
            {m_system / "link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nURL=x\n"},
            {m_system / "dotted.desktop", Entry("Name=Foo 2.0 Pro\n")},
            {m_system / "slashes.desktop", Entry("Name=A/B\\\\C\n")},
            {m_system / "same1.desktop", Entry("Name=Same\n")},
            {m_other / "same2.desktop", Entry("Name=same\n")},
            {m_system / "colour.desktop", Entry("Name=Colour\nName[de]=Farbe\n")},
            {m_system / "kde" / "nested.desktop", Entry("Name=Nested\n")},
            {m_system / "noname.desktop", Entry("")},
            {m_system / "broken.desktop", "Name=No group\n"},
            {m_system / "notes.txt", "not an entry"}};
        for (const auto& [path, text] : files)
            WriteFile(path, text);
    }

    fs::path Programs() const { return Device() / "Windows" / "Start Menu" / "Programs"; }
    Names ProgramFiles() const {
        Names names;
        for (const auto& entry : fs::directory_iterator(Programs()))
            names.insert(entry.path().filename().string());
        return names;
    }
    // What a seeded shortcut to the entry holds: the length of its target, '#', the target.
    static std::string Shortcut(const fs::path& entry) {
        const std::u16string path = *platform::DevicePath(entry);
        std::string text(path.begin(), path.end());
        if (text.find(' ') != std::string::npos)
            text = "\"" + text + "\"";
        return std::to_string(text.size()) + "#" + text;
    }

    fs::path m_host, m_user, m_system, m_other;
};

TEST_F(WindowsFolder, ANewDeviceGetsOneShortcutPerVisibleApplicationOnceOnly) {
    Fill();
    ASSERT_TRUE(WindowsFolderSeeder(Device()).Run());
    const Names expected{"Text Editor.lnk", "Here.lnk",   "Foo 2\u20240 Pro.lnk",
                         "A-B-C.lnk",       "Same.lnk",   "same (2).lnk",
                         "Farbe.lnk",       "Nested.lnk", "noname.lnk"};
    EXPECT_EQ(ProgramFiles(), expected);
    EXPECT_TRUE(fs::is_directory(Device() / "Windows" / "Favorites"));
    EXPECT_TRUE(fs::is_empty(Device() / "Windows" / "Favorites"));
    EXPECT_EQ(ReadFile(Programs() / "Text Editor.lnk"), Shortcut(m_user / "editor.desktop"));
    EXPECT_EQ(ReadFile(Programs() / "Nested.lnk"), Shortcut(m_system / "kde" / "nested.desktop"));

    // A Windows folder, even an emptied one, is the device's own and never seeded again.
    fs::remove(Programs() / "Here.lnk");
    WriteFile(m_user / "fresh.desktop", Entry("Name=Fresh\n"));
    const Names before = ProgramFiles();
    EXPECT_FALSE(WindowsFolderSeeder(Device()).Run());
    EXPECT_EQ(ProgramFiles(), before);
    fs::remove_all(Device() / "Windows");
    fs::create_directories(Device() / "Windows");
    EXPECT_FALSE(WindowsFolderSeeder(Device()).Run());
    EXPECT_TRUE(fs::is_empty(Device() / "Windows"));
}

TEST_F(WindowsFolder, TheStartMenuFollowsTheDesktopAndKeepsTheUsersShortcuts) {
    for (const char* name : {"Here", "Colour", "Gone"})
        WriteFile(m_system / (name + std::string(".desktop")),
                  Entry("Name=" + std::string(name) + "\n"));
    WriteFile(m_user / "editor.desktop", Entry("Name=Text Editor\n"));
    ASSERT_TRUE(WindowsFolderSeeder(Device()).Run());
    EXPECT_TRUE(fs::is_regular_file(Programs() / "Gone.lnk"));
    EXPECT_FALSE(WindowsFolderSeeder(Device()).Follow()) << "nothing changed since";

    WriteFile(m_system / "fresh.desktop", Entry("Name=Fresh\n"));
    WriteFile(m_system / "hidden-now.desktop", Entry("Name=Here\nNoDisplay=true\n"));
    for (const char* name : {"Here", "Colour", "Gone"})
        fs::remove(m_system / (name + std::string(".desktop")));
    fs::remove(Programs() / "Gone.lnk");
    fs::remove(Programs() / "Text Editor.lnk");
    WriteFile(Programs() / "Colour.lnk", "15#\\Windows\\my.exe");
    WriteFile(Programs() / "Mine.lnk", ReadFile(Programs() / "Here.lnk"));
    WriteFile(Programs() / "fresh.lnk", "15#\\Windows\\my.exe");
    EXPECT_TRUE(WindowsFolderSeeder(Device()).Follow());
    EXPECT_EQ(ProgramFiles(), (Names{"Colour.lnk", "Mine.lnk", "fresh.lnk", "Fresh (2).lnk"}))
        << "new ones added beside the user's, removed ones gone, a removed or changed "
           "shortcut left as the user left it";

    // A shortcut the user removed stays removed; an application installed again comes back.
    WriteFile(m_system / "Here.desktop", Entry("Name=Here\n"));
    EXPECT_TRUE(WindowsFolderSeeder(Device()).Follow());
    EXPECT_EQ(ProgramFiles(),
              (Names{"Colour.lnk", "Mine.lnk", "fresh.lnk", "Fresh (2).lnk", "Here.lnk"}));
}

TEST_F(WindowsFolder, AStartMenuMadeByHandIsTakenAsItStands) {
    EXPECT_TRUE(WindowsFolderSeeder(Device()).Run());
    EXPECT_TRUE(fs::is_empty(Programs())) << "a host without applications";
    WriteFile(m_system / "editor.desktop", Entry("Name=Editor\n"));
    fs::remove_all(Device() / "Windows");
    WriteFile(Programs() / "Calendar.lnk", "22#\\Windows\\Calendar.exe");
    EXPECT_FALSE(WindowsFolderSeeder(Device()).Follow());
    EXPECT_EQ(ProgramFiles(), (Names{"Calendar.lnk"}));
    WriteFile(m_system / "new.desktop", Entry("Name=New\n"));
    EXPECT_TRUE(WindowsFolderSeeder(Device()).Follow());
    EXPECT_EQ(ProgramFiles(), (Names{"Calendar.lnk", "New.lnk"}));
}

TEST_F(WindowsFolder, FirstLookIntoWindowsSeedsItThenFollowsTheDesktop) {
    Fill();
    WIN32_FIND_DATAW data;
    FindClose(FindFirstFileW(u"\\Windows\\Start Menu\\Programs\\Here.lnk", &data));
    EXPECT_TRUE(fs::exists(Programs() / "Here.lnk"));
    std::set<fs::path> entries;
    for (const auto& entry : fs::directory_iterator(Device()))
        entries.insert(entry.path().filename());
    EXPECT_EQ(entries, (std::set<fs::path>{"Windows", "host"}))
        << "no scratch folder is left beside it";

    // A device whose Windows folder exists follows the desktop at its first look.
    fs::create_directories(Device() / "second");
    fs::copy(Device() / "Windows", Device() / "second" / "Windows", fs::copy_options::recursive);
    setenv("TOVALO_DEVICE", (Device() / "second").c_str(), 1);
    WriteFile(m_system / "new.desktop", Entry("Name=New\n"));
    FindClose(FindFirstFileW(u"\\Windows\\Start Menu\\Programs\\New.lnk", &data));
    EXPECT_TRUE(fs::exists(Device() / "second" / "Windows/Start Menu/Programs/New.lnk"));
}

TEST_F(WindowsFolder, UnusableDeviceFolderIsReportedNotFatal) {
    WriteFile(Device() / "file", "x");
    fs::path bad = Device() / "file" / "device";
    setenv("TOVALO_DEVICE", bad.c_str(), 1);
    testing::internal::CaptureStderr();
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW(u"\\Windows\\Start Menu\\Programs\\*.*", &data), INVALID_HANDLE_VALUE);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find(bad.string()), std::string::npos) << message;
}

TEST_F(WindowsFolder, MalformedEntriesAreSkippedOrNamedSafely) {
    fs::create_directories(m_user.parent_path());
    fs::copy(TOVALO_SHELL_TEST_DATA "/malformed", m_user);
    ASSERT_TRUE(WindowsFolderSeeder(Device()).Run());
    EXPECT_EQ(ProgramFiles(), (Names{"Trailing -.lnk", "Empty icon.lnk", "Missing icon file.lnk",
                                     "Not a picture.lnk", "Hidden command.lnk"}));
}

TEST_F(WindowsFolder, LongNamesAreCutSoThatTheStoreCanHoldTheirPath) {
    std::string wide(150, 'y');
    for (int i = 0; i < 100; ++i)
        wide += "\u20ac";
    for (const auto& [file, name] : {std::pair{"long1", std::string(300, 'x')},
                                     {"long2", std::string(300, 'x')},
                                     {"wide", wide}})
        WriteFile(m_system / (file + std::string(".desktop")), Entry("Name=" + name + "\n"));
    ASSERT_TRUE(WindowsFolderSeeder(Device()).Run());
    Names names = ProgramFiles();
    ASSERT_EQ(names.size(), 3u);
    for (const std::string& name : names) {
        const std::u16string path =
            u"\\Windows\\Start Menu\\Programs\\" + QString::fromStdString(name).toStdU16String();
        EXPECT_LE(path.size(), 259u) << name;
        EXPECT_TRUE(name.ends_with(".lnk")) << name;
        EXPECT_TRUE(fs::exists(platform::HostPath(path))) << name;
    }
}

TEST(ShortcutNames, DotsAndSlashesAreReplaced) {
    const std::pair<std::u16string, std::u16string> rows[] = {{u"Foo 2.0", u"Foo 2\u20240"},
                                                              {u"a/b\\c", u"a-b-c"},
                                                              {u"  padded \n", u"padded"},
                                                              {u"...", u"\u2024\u2024\u2024"}};
    for (const auto& [name, shortcut] : rows)
        EXPECT_EQ(WindowsFolderSeeder::ShortcutName(name), shortcut);
    EXPECT_LE(WindowsFolderSeeder::ShortcutName(std::u16string(400, u'\u00e9')).size(), 115u);
}

} // namespace
