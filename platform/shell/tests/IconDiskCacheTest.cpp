#include <platform/Shell.h>

#include "shell/IconCache.h"

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kRed = 0xFFFF0000;

void WriteSolid(const fs::path& file, QRgb colour) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(colour);
    fs::create_directories(file.parent_path());
    image.save(QString::fromStdString(file.string()), "PNG");
}

// In a process of its own, as every process keeps the icons it made: the folder's icon
// colour at (16, 16).
[[noreturn]] void ShowFolderColour(QRgb expected) {
    SHFILEINFO info;
    SHGetFileInfo(u"\\Windows", 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON);
    const QRgb shown = platform::detail::IconPicture(info.hIcon).pixel(16, 16);
    if (shown != expected)
        std::fprintf(stderr, "the folder icon shows %08x, not %08x\n", shown, expected);
    std::_Exit(shown == expected ? 0 : 1);
}

class IconDiskCache : public testsupport::DeviceFolderTest {};

// A themed icon found once is kept under the cache folder and used by later starts without
// the theme; a theme whose time stamps changed is read again, and so is a damaged cache file.
TEST_F(IconDiskCache, KeepsThemedIconsUntilTheThemeChanges) {
    const fs::path host = Device() / "host";
    for (const char* dir : {"home", "data", "sys", "config", "cache"})
        fs::create_directories(host / dir);
    setenv("HOME", (host / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (host / "data").c_str(), 1);
    setenv("XDG_DATA_DIRS", (host / "sys").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (host / "config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (host / "cache").c_str(), 1);
    fs::create_directories(Device() / "Windows");
    const fs::path theme = host / "sys" / "icons" / "hicolor";
    testsupport::WriteFile(theme / "index.theme", "[Icon Theme]\nName=Hicolor\n"
                                                  "Directories=32x32/any\n\n"
                                                  "[32x32/any]\nSize=32\nType=Fixed\n");
    const fs::path picture = theme / "32x32" / "any" / "folder.png";
    WriteSolid(picture, kGreen);
    ::testing::FLAGS_gtest_death_test_style = "fast";

    EXPECT_EXIT(ShowFolderColour(kGreen), ::testing::ExitedWithCode(0), "") << "first start";
    const fs::path cache = host / "cache" / "tovalo" / "icons";
    ASSERT_TRUE(fs::is_directory(cache));
    // The picture changes, the theme's folder and index keep their time stamps: the cached
    // icon stands.
    WriteSolid(picture, kRed);
    EXPECT_EXIT(ShowFolderColour(kGreen), ::testing::ExitedWithCode(0), "") << "cached";
    // A change to the theme's index is a new theme.
    const auto stamp = fs::last_write_time(theme / "index.theme");
    fs::last_write_time(theme / "index.theme", stamp + std::chrono::seconds(5));
    EXPECT_EXIT(ShowFolderColour(kRed), ::testing::ExitedWithCode(0), "") << "theme changed";
    // Damaged cache files are read past.
    WriteSolid(picture, kGreen);
    for (const auto& file : fs::directory_iterator(cache))
        fs::resize_file(file.path(), 10);
    fs::last_write_time(theme / "index.theme", stamp);
    EXPECT_EXIT(ShowFolderColour(kGreen), ::testing::ExitedWithCode(0), "") << "damaged";
}

} // namespace
