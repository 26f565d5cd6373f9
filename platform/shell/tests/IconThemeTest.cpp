#include <platform/Shell.h>

#include "shell/IconCache.h"

#include <testsupport/DeviceFolder.h>
#include <testsupport/XServer.h>

#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const char* const kAdwaitaFolder = "/usr/share/icons/Adwaita/32x32/places/folder.png";
constexpr QRgb kGreen = 0xFF00FF00;

struct Scenario {
    const char* name;
    const char* settingsFile; // below the configuration folder, or null
    const char* settings;
    bool expectTestTheme; // else Adwaita's folder
};

// Runs in a process of its own, as the theme is chosen once per process: the user's folders
// hold only the given settings and a theme "TestTheme" with a green folder; the machine's
// themes are the installed ones.
[[noreturn]] void RunScenario(const Scenario& s, const fs::path& root) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("HOME", (root / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_DATA_DIRS", "/usr/share", 1);
    unsetenv("XDG_CURRENT_DESKTOP");
    const fs::path theme = root / "data" / "icons" / "TestTheme";
    fs::create_directories(theme / "32x32" / "places");
    testsupport::WriteFile(theme / "index.theme",
                           "[Icon Theme]\nName=TestTheme\nInherits=hicolor\n"
                           "Directories=32x32/places\n\n[32x32/places]\nSize=32\nType=Fixed\n");
    QImage green(32, 32, QImage::Format_ARGB32);
    green.fill(kGreen);
    green.save(QString::fromStdString((theme / "32x32" / "places" / "folder.png").string()));
    if (s.settingsFile)
        testsupport::WriteFile(root / "config" / s.settingsFile, s.settings);
    fs::create_directories(root / "Windows" / "Folder");

    SHFILEINFO info;
    SHGetFileInfo(u"\\Windows\\Folder", 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON);
    const QImage expected = s.expectTestTheme ? green : QImage(kAdwaitaFolder);
    const bool same = platform::detail::IconPicture(info.hIcon) ==
                      expected.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!same)
        std::fprintf(stderr, "%s: the folder icon is not %s's\n", s.name,
                     s.expectTestTheme ? "TestTheme" : "Adwaita");
    std::_Exit(same ? 0 : 1);
}

class IconThemeOnX : public testsupport::DeviceFolderTest {};

// On a bare X server the toolkit names only "hicolor"; the theme is found as desktops find
// it: the user's GTK or KDE choice when it is installed, else a common installed theme.
TEST_F(IconThemeOnX, IsFoundAsDesktopsFindIt) {
    if (!fs::exists(kAdwaitaFolder))
        GTEST_SKIP() << "the Adwaita icon theme (adwaita-icon-theme) is not installed";
    testsupport::XServer server;
    if (!server.Running())
        GTEST_SKIP() << "Xvfb is not installed";
    setenv("DISPLAY", server.Display().c_str(), 1);
    const Scenario scenarios[] = {
        {"no desktop settings", nullptr, nullptr, false},
        {"GTK 3", "gtk-3.0/settings.ini", "[Settings]\ngtk-icon-theme-name=TestTheme\n", true},
        {"GTK 4", "gtk-4.0/settings.ini", "[Settings]\ngtk-icon-theme-name=TestTheme\n", true},
        {"KDE", "kdeglobals", "[General]\nName=x\n\n[Icons]\nTheme=TestTheme\n", true},
        {"a choice not installed", "gtk-3.0/settings.ini",
         "[Settings]\ngtk-icon-theme-name=Missing\n", false},
    };
    ::testing::FLAGS_gtest_death_test_style = "fast";
    for (const Scenario& s : scenarios) {
        const fs::path root = Device() / s.name;
        fs::create_directories(root / "Windows");
        setenv("TOVALO_DEVICE", root.c_str(), 1);
        EXPECT_EXIT(RunScenario(s, root), ::testing::ExitedWithCode(0), "") << s.name;
    }
}

} // namespace
