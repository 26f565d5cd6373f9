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

namespace {

std::string Entry(const std::string& body) {
    return "[Desktop Entry]\nType=Application\nExec=true\n" + body;
}

// A host with a user's and two system application folders of fixture entries.
class WindowsFolder : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        m_host = Device().parent_path() / (Device().filename().string() + "-host");
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
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_host, ec);
        DeviceFolderTest::TearDown();
    }

    void Fill() {
        using testsupport::WriteFile;
        WriteFile(m_user / "editor.desktop", Entry("Name=Text Editor\n"));
        WriteFile(m_system / "editor.desktop", Entry("Name=System Editor\n"));
        WriteFile(m_system / "removed.desktop", Entry("Name=Removed\n"));
        WriteFile(m_user / "removed.desktop", Entry("Name=Removed\nHidden=true\n"));
        WriteFile(m_system / "quiet.desktop", Entry("Name=Quiet\nNoDisplay=true\n"));
        WriteFile(m_system / "elsewhere.desktop", Entry("Name=Elsewhere\nNotShowIn=TestDesk;\n"));
        WriteFile(m_system / "kdeonly.desktop", Entry("Name=Kde Only\nOnlyShowIn=KDE;\n"));
        WriteFile(m_system / "here.desktop", Entry("Name=Here\nOnlyShowIn=KDE;TestDesk;\n"));
        WriteFile(m_system / "link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nURL=x\n");
        WriteFile(m_system / "dotted.desktop", Entry("Name=Foo 2.0 Pro\n"));
        WriteFile(m_system / "slashes.desktop", Entry("Name=A/B\\\\C\n"));
        WriteFile(m_system / "same1.desktop", Entry("Name=Same\n"));
        WriteFile(m_other / "same2.desktop", Entry("Name=same\n"));
        WriteFile(m_system / "colour.desktop", Entry("Name=Colour\nName[de]=Farbe\n"));
        WriteFile(m_system / "kde" / "nested.desktop", Entry("Name=Nested\n"));
        WriteFile(m_system / "noname.desktop", Entry(""));
        WriteFile(m_system / "broken.desktop", "Name=No group\n");
        WriteFile(m_system / "notes.txt", "not an entry");
        WriteFile(m_other / "editor.desktop", Entry("Name=Third Editor\n"));
    }

    fs::path Programs() const { return Device() / "Windows" / "Start Menu" / "Programs"; }

    std::set<std::string> ProgramFiles() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Programs()))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path m_host, m_user, m_system, m_other;
};

TEST_F(WindowsFolder, NewDeviceGetsOneShortcutPerVisibleApplication) {
    Fill();
    ASSERT_TRUE(WindowsFolderSeeder(Device()).Run());
    EXPECT_EQ(ProgramFiles(),
              (std::set<std::string>{"Text Editor.lnk", "Here.lnk", "Foo 2\u20240 Pro.lnk",
                                     "A-B-C.lnk", "Same.lnk", "same (2).lnk", "Farbe.lnk",
                                     "Nested.lnk", "noname.lnk"}));
    EXPECT_TRUE(fs::is_directory(Device() / "Windows" / "Favorites"));
    EXPECT_TRUE(fs::is_empty(Device() / "Windows" / "Favorites"));

    // The user's entry wins over the system's of the same id.
    std::u16string target = *platform::DevicePath(m_user / "editor.desktop");
    std::string text =
        platform::DevicePath(m_user / "editor.desktop")->find(u' ') == std::u16string::npos
            ? std::string(target.begin(), target.end())
            : "\"" + std::string(target.begin(), target.end()) + "\"";
    EXPECT_EQ(testsupport::ReadFile(Programs() / "Text Editor.lnk"),
              std::to_string(text.size()) + "#" + text);
    std::u16string nested = *platform::DevicePath(m_system / "kde" / "nested.desktop");
    EXPECT_EQ(testsupport::ReadFile(Programs() / "Nested.lnk"),
              std::to_string(nested.size()) + "#" + std::string(nested.begin(), nested.end()));
}

TEST_F(WindowsFolder, ShortcutsEnumerateWithTheirLabelsWhole) {
    Fill();
    ASSERT_TRUE(WindowsFolderSeeder(Device()).Run());
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(u"\\Windows\\Start Menu\\Programs\\*.*", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::set<std::u16string> labels;
    do {
        std::u16string name = data.cFileName;
        labels.insert(name.substr(0, name.find(u'.')));
        EXPECT_EQ(data.dwFileAttributes, 0x20u);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    EXPECT_TRUE(labels.count(u"Foo 2\u20240 Pro"));
    EXPECT_TRUE(labels.count(u"Text Editor"));
}

TEST_F(WindowsFolder, AnExistingWindowsFolderIsNeverTouched) {
    Fill();
    ASSERT_TRUE(WindowsFolderSeeder(Device()).Run());
    fs::remove(Programs() / "Here.lnk");
    testsupport::WriteFile(m_user / "fresh.desktop", Entry("Name=Fresh\n"));
    auto before = ProgramFiles();
    EXPECT_FALSE(WindowsFolderSeeder(Device()).Run());
    EXPECT_EQ(ProgramFiles(), before);
    EXPECT_FALSE(fs::exists(Programs() / "Fresh.lnk"));

    // Even an empty Windows folder counts as the device's own.
    fs::remove_all(Device() / "Windows");
    fs::create_directories(Device() / "Windows");
    EXPECT_FALSE(WindowsFolderSeeder(Device()).Run());
    EXPECT_TRUE(fs::is_empty(Device() / "Windows"));
}

TEST_F(WindowsFolder, TheStartMenuFollowsTheDesktopAndKeepsTheUsersShortcuts) {
    using testsupport::WriteFile;
    WriteFile(m_user / "editor.desktop", Entry("Name=Text Editor\n"));
    WriteFile(m_system / "here.desktop", Entry("Name=Here\n"));
    WriteFile(m_system / "colour.desktop", Entry("Name=Colour\n"));
    WriteFile(m_system / "gone.desktop", Entry("Name=Gone\n"));
    ASSERT_TRUE(WindowsFolderSeeder(Device()).Run());
    EXPECT_FALSE(WindowsFolderSeeder(Device()).Follow()) << "nothing changed since";

    WriteFile(m_system / "fresh.desktop", Entry("Name=Fresh\n"));
    WriteFile(m_system / "hidden-now.desktop", Entry("Name=Here\nNoDisplay=true\n"));
    fs::remove(m_system / "here.desktop");
    fs::remove(m_system / "colour.desktop");
    fs::remove(m_system / "gone.desktop");
    fs::remove(Programs() / "Gone.lnk");
    fs::remove(Programs() / "Text Editor.lnk");
    WriteFile(Programs() / "Colour.lnk", "15#\\Windows\\my.exe");
    WriteFile(Programs() / "Mine.lnk", testsupport::ReadFile(Programs() / "Here.lnk"));
    WriteFile(Programs() / "fresh.lnk", "15#\\Windows\\my.exe");
    EXPECT_TRUE(WindowsFolderSeeder(Device()).Follow());
    EXPECT_EQ(ProgramFiles(),
              (std::set<std::string>{"Colour.lnk", "Mine.lnk", "fresh.lnk", "Fresh (2).lnk"}))
        << "new ones added beside the user's, removed ones gone, a removed or changed "
           "shortcut left as the user left it";

    // A shortcut the user removed stays removed; an application installed again comes back.
    WriteFile(m_system / "here.desktop", Entry("Name=Here\n"));
    EXPECT_TRUE(WindowsFolderSeeder(Device()).Follow());
    EXPECT_EQ(ProgramFiles(), (std::set<std::string>{"Colour.lnk", "Mine.lnk", "fresh.lnk",
                                                     "Fresh (2).lnk", "Here.lnk"}));
}

TEST_F(WindowsFolder, AStartMenuMadeByHandIsTakenAsItStands) {
    testsupport::WriteFile(m_system / "editor.desktop", Entry("Name=Editor\n"));
    testsupport::WriteFile(Programs() / "Calendar.lnk", "22#\\Windows\\Calendar.exe");
    EXPECT_FALSE(WindowsFolderSeeder(Device()).Follow());
    EXPECT_EQ(ProgramFiles(), (std::set<std::string>{"Calendar.lnk"}));
    testsupport::WriteFile(m_system / "new.desktop", Entry("Name=New\n"));
    EXPECT_TRUE(WindowsFolderSeeder(Device()).Follow());
    EXPECT_EQ(ProgramFiles(), (std::set<std::string>{"Calendar.lnk", "New.lnk"}));
}

TEST_F(WindowsFolder, FirstLookIntoAnExistingWindowsFolderFollowsTheDesktop) {
    ASSERT_TRUE(WindowsFolderSeeder(Device()).Run());
    testsupport::WriteFile(m_system / "new.desktop", Entry("Name=New\n"));
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(u"\\Windows\\Start Menu\\Programs\\New.lnk", &data);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    FindClose(h);
}

TEST_F(WindowsFolder, FirstLookIntoWindowsSeedsIt) {
    Fill();
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(u"\\Windows\\Start Menu\\Programs\\Here.lnk", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FindClose(h);
    // No scratch folder is left beside it.
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(Device())) {
        EXPECT_EQ(entry.path().filename(), "Windows");
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(WindowsFolder, HostWithoutApplicationsGivesEmptyFolders) {
    ASSERT_TRUE(WindowsFolderSeeder(Device()).Run());
    EXPECT_TRUE(fs::is_empty(Programs()));
    EXPECT_TRUE(fs::is_empty(Device() / "Windows" / "Favorites"));
}

TEST_F(WindowsFolder, UnusableDeviceFolderIsReportedNotFatal) {
    testsupport::WriteFile(Device() / "file", "x");
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
    EXPECT_EQ(ProgramFiles(),
              (std::set<std::string>{"Trailing -.lnk", "Empty icon.lnk", "Missing icon file.lnk",
                                     "Not a picture.lnk", "Hidden command.lnk"}));
}

TEST_F(WindowsFolder, LongNamesAreCutSoThatTheStoreCanHoldTheirPath) {
    const std::string longName(300, 'x');
    testsupport::WriteFile(m_system / "long1.desktop", Entry("Name=" + longName + "\n"));
    testsupport::WriteFile(m_system / "long2.desktop", Entry("Name=" + longName + "\n"));
    std::string wide(150, 'y');
    for (int i = 0; i < 100; ++i)
        wide += "\u20ac";
    testsupport::WriteFile(m_system / "wide.desktop", Entry("Name=" + wide + "\n"));
    ASSERT_TRUE(WindowsFolderSeeder(Device()).Run());
    std::set<std::string> names = ProgramFiles();
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
    EXPECT_EQ(WindowsFolderSeeder::ShortcutName(u"Foo 2.0"), u"Foo 2\u20240");
    EXPECT_EQ(WindowsFolderSeeder::ShortcutName(u"a/b\\c"), u"a-b-c");
    EXPECT_EQ(WindowsFolderSeeder::ShortcutName(u"  padded \n"), u"padded");
    EXPECT_EQ(WindowsFolderSeeder::ShortcutName(u"..."), u"\u2024\u2024\u2024");
    std::u16string longName(400, u'\u00e9');
    EXPECT_LE(WindowsFolderSeeder::ShortcutName(longName).size(), 115u);
}

} // namespace
