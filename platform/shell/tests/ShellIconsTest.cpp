#include <platform/Gdi.h>
#include <platform/Shell.h>
#include <platform/Tray.h>

#include "shell/IconCache.h"
#include "shell/SystemImageList.h"

#include <testsupport/DeviceFolder.h>
#include <testsupport/ImageFiles.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using platform::detail::IconPicture;
using platform::detail::SystemSmallIcon;
using testsupport::WriteFile;

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kGrey = 0xFF808080;
// Top left, top right, bottom left, bottom right.
constexpr QRgb kQuadrants[] = {kRed, kGreen, kBlue, kWhite};

QImage Solid(QRgb colour, int width = 32, int height = 32) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// Four quadrants of distinct colours, so that scaling and orientation both show.
QImage Quadrants(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y, kQuadrants[(x >= side / 2) + 2 * (y >= side / 2)]);
    return image;
}

void Save(const fs::path& file, const QImage& image) {
    fs::create_directories(file.parent_path());
    EXPECT_TRUE(image.save(QString::fromStdString(file.string()), "PNG")) << file;
}

bool HasOpaquePixel(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                return true;
    return false;
}

// The large and the small icon flags with their sides.
constexpr std::pair<UINT, int> kSizes[] = {{0x300u, 32}, {0x301u, 16}};

// Every host folder the icon code may read points into the test's own device folder, so
// the machine's themes and defaults never take part.
class ShellIcons : public testsupport::DeviceFolderTest {
public:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        const std::pair<const char*, const char*> folders[] = {
            {"HOME", "home"},           {"XDG_DATA_HOME", "data"},
            {"XDG_DATA_DIRS", "sys"},   {"XDG_CONFIG_HOME", "config"},
            {"XDG_CONFIG_DIRS", "etc"}, {"XDG_CACHE_HOME", "cache"}};
        for (const auto& [variable, folder] : folders) {
            fs::create_directories(Host() / folder);
            setenv(variable, (Host() / folder).c_str(), 1);
        }
        // The machine's MIME database stays: a host without icon themes still has one.
        std::error_code ec;
        if (fs::is_directory("/usr/share/mime", ec))
            fs::create_directory_symlink("/usr/share/mime", Host() / "sys" / "mime", ec);
        fs::create_directories(Windows());
    }

    fs::path Host() const { return Device() / "host"; }
    fs::path Windows() const { return Device() / "Windows"; }
    fs::path Theme() const { return Host() / "sys" / "icons" / "hicolor"; }

    // A picture file of the host; its path.
    std::string Picture(const std::string& name, const QImage& image) const {
        Save(Host() / "pics" / name, image);
        return (Host() / "pics" / name).string();
    }
    // An application entry in the device's Windows folder with the given Icon= value.
    void Entry(const std::string& name, const std::string& icon) const {
        WriteFile(Windows() / name, "[Desktop Entry]\nType=Application\nIcon=" + icon + "\n");
    }
    void Program(const std::string& name) const {
        WriteFile(Windows() / name, "#!/bin/sh\n");
        fs::permissions(Windows() / name, fs::perms(0755));
    }
    // An icon theme "hicolor" with one solid picture per name.
    void AddThemeIcon(const std::string& name, QRgb colour) const {
        WriteFile(Theme() / "index.theme", "[Icon Theme]\nName=Hicolor\nDirectories=32x32/any\n\n"
                                           "[32x32/any]\nSize=32\nType=Fixed\n");
        Save(Theme() / "32x32" / "any" / (name + ".png"), Solid(colour));
    }

    static SHFILEINFO Info(const std::string& path, UINT flags) {
        const std::u16string devicePath(path.begin(), path.end());
        SHFILEINFO info;
        EXPECT_NE(SHGetFileInfo(devicePath.c_str(), 0, &info, sizeof(info), flags), 0u) << path;
        return info;
    }
    static QImage Icon(const std::string& path, UINT flags = 0x300) {
        const HICON icon = Info(path, flags).hIcon;
        QImage picture = IconPicture(icon);
        EXPECT_TRUE(DestroyIcon(icon)) << path;
        return picture;
    }
    // The path's place in the shell's small-icon list.
    static int Index(const std::string& path) {
        const SHFILEINFO info = Info(path, SHGFI_SYSICONINDEX);
        EXPECT_EQ(info.hIcon, nullptr) << path;
        return info.iIcon;
    }
};

TEST_F(ShellIcons, PictureFilesAreScaledToTheIconKeepingTheirProportions) {
    Entry("app.desktop", Picture("app.png", Quadrants(64)));
    for (const auto& [flags, side] : kSizes) {
        const QImage icon = Icon("\\Windows\\app.desktop", flags);
        ASSERT_EQ(icon.size(), QSize(side, side));
        const int near = side / 8;
        const int far = side - 1 - side / 8;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(icon.pixel(i % 2 ? far : near, i / 2 ? far : near), kQuadrants[i]) << side;
    }
    Entry("wide.desktop", Picture("wide.png", Solid(kBlue, 64, 32)));
    const QImage wide = Icon("\\Windows\\wide.desktop");
    ASSERT_EQ(wide.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(wide.pixel(16, 3)), 0);
    EXPECT_EQ(wide.pixel(16, 16), kBlue);
    EXPECT_EQ(qAlpha(wide.pixel(16, 28)), 0);
}

TEST_F(ShellIcons, ShortcutsGiveTheirTargetsIcon) {
    Entry("Apps/my app.desktop", Picture("app.png", Quadrants(32)));
    WriteFile(Windows() / "plain.lnk", "26#\\Windows\\Apps\\my app.desktop");
    WriteFile(Windows() / "quoted.lnk", "28#\"\\Windows\\Apps\\my app.desktop\" --new\r\n");
    WriteFile(Windows() / "chain.lnk", "20#\\Windows\\quoted.lnk");
    WriteFile(Windows() / "args.lnk", "29#\\Windows\\quoted.lnk --flag x");
    const QImage target = Icon("\\Windows\\Apps\\my app.desktop");
    EXPECT_EQ(target.pixel(4, 4), kRed);
    for (const char* shortcut : {"plain", "quoted", "chain", "args"})
        EXPECT_EQ(Icon("\\Windows\\" + std::string(shortcut) + ".lnk"), target) << shortcut;

    fs::create_directories(Windows() / "Folder");
    WriteFile(Windows() / "folder.lnk", "15#\\Windows\\Folder");
    EXPECT_EQ(Icon("\\Windows\\folder.lnk"), Icon("\\Windows\\Folder"));
}

TEST_F(ShellIcons, EveryKindGetsAnIconOfItsOwnWithoutATheme) {
    fs::create_directories(Windows() / "Folder");
    Program("tool");
    WriteFile(Windows() / "site.url", "[InternetShortcut]\nURL=http://x/\n");
    WriteFile(Windows() / "notes.txt", "text");
    WriteFile(Windows() / "blob.zzqq", std::string("\0\1\2\3", 4));
    WriteFile(Windows() / "plain.desktop", "[Desktop Entry]\nType=Application\n");
    for (const char* name :
         {"Folder", "tool", "site.url", "notes.txt", "blob.zzqq", "plain.desktop", "missing.txt"})
        for (const auto& [flags, side] : kSizes) {
            const QImage icon = Icon("\\Windows\\" + std::string(name), flags);
            EXPECT_EQ(icon.size(), QSize(side, side)) << name;
            EXPECT_TRUE(HasOpaquePixel(icon)) << name;
        }
    // Folder, program, web page, text and application: each kind its own.
    const QImage kinds[] = {Icon("\\Windows\\Folder"), Icon("\\Windows\\tool"),
                            Icon("\\Windows\\site.url"), Icon("\\Windows\\notes.txt"),
                            Icon("\\Windows\\plain.desktop")};
    for (std::size_t i = 0; i < std::size(kinds); ++i)
        for (std::size_t j = i + 1; j < std::size(kinds); ++j)
            EXPECT_NE(kinds[i], kinds[j]) << i << " and " << j;
    // A missing file still gets the icon of its kind, told by its name.
    EXPECT_EQ(Icon("\\Windows\\missing.txt"), kinds[3]);
    EXPECT_EQ(Icon("\\Windows\\missing.exe"), kinds[1]);
    EXPECT_EQ(Icon("\\Windows\\missing.url"), kinds[2]);
    // With no browser known, the browser's icon is our web page.
    EXPECT_EQ(Icon("\\Windows\\iexplore.exe"), kinds[2]);
}

TEST_F(ShellIcons, ThemeIconsAreUsedByKind) {
    AddThemeIcon("folder", kGreen);
    AddThemeIcon("application-x-executable", kBlue);
    AddThemeIcon("text-plain", kRed);
    AddThemeIcon("my-editor", kWhite);
    AddThemeIcon("web-browser", kGrey);
    fs::create_directories(Windows() / "Folder");
    Program("tool");
    WriteFile(Windows() / "notes.txt", "text");
    Entry("editor.desktop", "my-editor");
    Entry("unknown.desktop", "not-in-theme");
    // A theme name the theme lacks falls back to the application icon of the theme; with no
    // default browser, the browser's icon is the theme's web browser.
    const std::pair<const char*, QRgb> rows[] = {
        {"Folder", kGreen},         {"tool", kBlue},
        {"notes.txt", kRed},        {"editor.desktop", kWhite},
        {"unknown.desktop", kBlue}, {"iexplore.exe", kGrey}};
    for (const auto& [name, colour] : rows)
        EXPECT_EQ(Icon("\\Windows\\" + std::string(name)).pixel(16, 16), colour) << name;
    EXPECT_EQ(Icon("\\Windows\\missing.txt", 0x301).pixel(8, 8), kRed);
}

TEST_F(ShellIcons, BrowserIconComesFromTheDefaultBrowsersEntry) {
    WriteFile(Host() / "data" / "applications" / "org.example.Browser.desktop",
              "[Desktop Entry]\nType=Application\nIcon=" +
                  Picture("browser.png", Solid(kGreen, 48, 48)) + "\n");
    WriteFile(Host() / "config" / "mimeapps.list",
              "[Added Associations]\nx-scheme-handler/http=wrong.desktop;\n"
              "[Default Applications]\n"
              "x-scheme-handler/http=absent.desktop;org.example.Browser.desktop;\n");
    AddThemeIcon("web-browser", kBlue);
    EXPECT_EQ(Icon("\\Windows\\iexplore.exe").pixel(16, 16), kGreen);
    EXPECT_EQ(Icon("\\windows\\IEXPLORE.EXE", 0x301).pixel(8, 8), kGreen);
}

TEST_F(ShellIcons, EachCallGivesANewHandleAndADestroyedOneIsGone) {
    SHFILEINFO first, second;
    ASSERT_NE(SHGetFileInfo(u"\\Windows", 0, &first, sizeof(first), 0x300), 0u);
    ASSERT_NE(SHGetFileInfo(u"\\Windows", 0, &second, sizeof(second), 0x300), 0u);
    EXPECT_NE(first.hIcon, second.hIcon);
    EXPECT_EQ(std::u16string(first.szDisplayName), u"Windows");
    EXPECT_TRUE(DestroyIcon(first.hIcon));
    EXPECT_TRUE(IconPicture(first.hIcon).isNull());
    EXPECT_FALSE(DestroyIcon(first.hIcon));
    EXPECT_FALSE(IconPicture(second.hIcon).isNull());
    EXPECT_TRUE(DestroyIcon(second.hIcon));
    EXPECT_FALSE(DestroyIcon(nullptr));
    EXPECT_EQ(SHGetFileInfo(nullptr, 0, &first, sizeof(first), 0x300), 0u);
}

// The first test of the process to fill the small-icon list, so that its length is known.
TEST_F(ShellIcons, SmallIconsAreSharedByKindWhereDesktopEntriesKeepTheirOwn) {
    fs::create_directories(Windows() / "A");
    WriteFile(Windows() / "a.txt", "x");
    WriteFile(Windows() / "b.txt", "y");
    WriteFile(Windows() / "c.url", "[InternetShortcut]\n");
    EXPECT_EQ(Index("\\"), 0);
    EXPECT_EQ(Index("\\Windows\\A"), 0);
    const int text = Index("\\Windows\\a.txt");
    EXPECT_NE(text, 0);
    EXPECT_EQ(Index("\\Windows\\b.txt"), text);
    const int url = Index("\\Windows\\c.url");
    EXPECT_NE(url, text);
    EXPECT_NE(url, 0);
    const QImage* small = SystemSmallIcon(text);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->size(), QSize(16, 16));
    EXPECT_EQ(*small, Icon("\\Windows\\a.txt", 0x301));
    EXPECT_EQ(platform::detail::SystemSmallIconCount(), 3);
    EXPECT_EQ(SystemSmallIcon(-1), nullptr);
    EXPECT_EQ(SystemSmallIcon(3), nullptr);

    Entry("red.desktop", Picture("red.png", Solid(kRed)));
    Entry("blue.desktop", Picture("blue.png", Solid(kBlue)));
    Program("run1");
    Program("run2");
    WriteFile(Windows() / "plain", "words");
    const int red = Index("\\Windows\\red.desktop");
    EXPECT_NE(Index("\\Windows\\blue.desktop"), red);
    EXPECT_EQ(SystemSmallIcon(red)->pixel(8, 8), kRed);
    EXPECT_EQ(Index("\\Windows\\run1"), Index("\\Windows\\run2"));
    EXPECT_NE(Index("\\Windows\\run1"), Index("\\Windows\\plain")) << "running counts";
}

TEST_F(ShellIcons, MalformedEntriesAndShortcutsStillGetIcons) {
    const fs::path malformed = Windows() / "malformed";
    fs::copy(TOVALO_PLATFORM_TEST_DATA "/malformed", malformed);
    Entry("malformed/bad-picture.desktop", (malformed / "truncated.png").string());
    for (const auto& file : fs::directory_iterator(malformed)) {
        const std::string path = "\\Windows\\malformed\\" + file.path().filename().string();
        EXPECT_NE(SystemSmallIcon(Index(path)), nullptr) << path;
        for (const auto& [flags, side] : kSizes) {
            const QImage icon = Icon(path, flags);
            EXPECT_TRUE(HasOpaquePixel(icon)) << path;
            EXPECT_EQ(icon.width(), side) << path;
        }
    }
}

// In a process of its own, as every process keeps the icons it made: whether the folder's
// icon shows the colour.
[[noreturn]] void ShowFolderColour(QRgb expected) {
    const QRgb shown = ShellIcons::Icon("\\Windows").pixel(16, 16);
    if (shown != expected)
        std::fprintf(stderr, "the folder icon shows %08x, not %08x\n", shown, expected);
    std::_Exit(shown == expected ? 0 : 1);
}

// A themed icon found once is kept under the cache folder and used by later starts without
// the theme; a theme whose time stamps changed is read again, and so is a damaged cache file.
TEST_F(ShellIcons, ThemedIconsAreKeptOnDiskUntilTheThemeChanges) {
    AddThemeIcon("folder", kGreen);
    const fs::path picture = Theme() / "32x32" / "any" / "folder.png";
    ::testing::FLAGS_gtest_death_test_style = "fast";
    EXPECT_EXIT(ShowFolderColour(kGreen), ::testing::ExitedWithCode(0), "") << "first start";
    const fs::path cache = Host() / "cache" / "tovalo" / "icons";
    ASSERT_TRUE(fs::is_directory(cache));
    // The picture changes, the theme's folder and index keep their time stamps: the cached
    // icon stands.
    Save(picture, Solid(kRed));
    EXPECT_EXIT(ShowFolderColour(kGreen), ::testing::ExitedWithCode(0), "") << "cached";
    // A change to the theme's index is a new theme.
    const auto stamp = fs::last_write_time(Theme() / "index.theme");
    fs::last_write_time(Theme() / "index.theme", stamp + std::chrono::seconds(5));
    EXPECT_EXIT(ShowFolderColour(kRed), ::testing::ExitedWithCode(0), "") << "theme changed";
    // Damaged cache files are read past.
    Save(picture, Solid(kGreen));
    for (const auto& file : fs::directory_iterator(cache))
        fs::resize_file(file.path(), 10);
    fs::last_write_time(Theme() / "index.theme", stamp);
    EXPECT_EXIT(ShowFolderColour(kGreen), ::testing::ExitedWithCode(0), "") << "damaged";
}

void AddIcon(UINT id, const std::string& bytes) {
    platform::AddIconResource(id, reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
}

HICON LoadIcon(UINT id, int width, int height) {
    return LoadImageW(nullptr, MAKEINTRESOURCE(id), IMAGE_ICON, width, height, 0);
}

// An icon resource made in 16 (red) and 48 (green) pixels, as the program's own is.
TEST(IconResources, EachSizeAskedTakesThePictureMadeForItOrTheNearestLarger) {
    constexpr UINT kId = 901;
    AddIcon(kId, testsupport::MakeSolidBmp(16, 16, kRed & 0xFFFFFF));
    AddIcon(kId, testsupport::MakeSolidBmp(48, 48, kGreen & 0xFFFFFF));
    const std::pair<int, int> askedAndMade[] = {{16, 16}, {48, 48}, {24, 48},
                                                {8, 16},  {64, 48}, {0, 16}};
    for (const auto& [asked, made] : askedAndMade) {
        HICON icon = LoadIcon(kId, asked, asked);
        ASSERT_NE(icon, nullptr) << asked;
        const QImage picture = IconPicture(icon);
        const int side = asked ? asked : made;
        EXPECT_EQ(picture.width(), side) << asked;
        EXPECT_EQ(picture.pixel(side / 2, side / 2), made == 16 ? kRed : kGreen) << asked;
        DestroyIcon(icon);
    }
}

TEST(IconResources, OnePictureTakesTheAskedShapeAndKeepsItsTransparency) {
    QImage image = Solid(kRed);
    image.setPixel(0, 0, 0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    AddIcon(902, png.toStdString());
    HICON natural = LoadIcon(902, 0, 0);
    const QImage picture = IconPicture(natural);
    EXPECT_EQ(picture.size(), QSize(32, 32)) << "0 keeps the picture's size";
    EXPECT_EQ(qAlpha(picture.pixel(16, 16)), 255);
    EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << "transparency kept";
    HICON wide = LoadIcon(902, 48, 24);
    EXPECT_EQ(IconPicture(wide).size(), QSize(48, 24));
    DestroyIcon(natural);
    DestroyIcon(wide);

    // Only numbered icon resources of whole pictures load.
    EXPECT_EQ(LoadIcon(903, 16, 16), nullptr) << "no such resource";
    EXPECT_EQ(LoadImageW(nullptr, MAKEINTRESOURCE(902), 0, 16, 16, 0), nullptr) << "only icons";
    EXPECT_EQ(LoadImageW(nullptr, u"Tray", IMAGE_ICON, 16, 16, 0), nullptr);
    AddIcon(904, testsupport::ReadFile(TOVALO_PLATFORM_TEST_DATA "/malformed/truncated.png"));
    AddIcon(905, "");
    EXPECT_EQ(LoadIcon(904, 16, 16), nullptr) << "damaged";
    EXPECT_EQ(LoadIcon(905, 16, 16), nullptr) << "empty";
}

} // namespace
