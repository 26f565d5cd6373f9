#include <platform/Device.h>
#include <platform/Files.h>
#include <platform/Gdi.h>
#include <platform/Shell.h>
#include <platform/Tray.h>

#include "shell/IconCache.h"
#include "shell/SystemImageList.h"

#include <testsupport/DeviceFolder.h>
#include <testsupport/ImageFiles.h>

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using platform::detail::IconPicture;

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kWhite = 0xFFFFFFFF;

// Four quadrants of distinct colours, so that scaling and orientation both show.
void WriteQuadrants(const fs::path& file, int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y,
                           y < side / 2 ? (x < side / 2 ? kRed : kGreen)
                                        : (x < side / 2 ? kBlue : kWhite));
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "PNG"));
}

void WriteSolid(const fs::path& file, QRgb colour, int side = 32) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(colour);
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "PNG"));
}

bool HasOpaquePixel(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                return true;
    return false;
}

// Every host folder the icon code may read points into the test's own device folder, so
// the machine's themes and defaults never take part.
class ShellIcons : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        m_host = Device() / "host";
        for (const char* dir : {"home", "data", "sys", "config", "sysconfig"})
            fs::create_directories(m_host / dir);
        setenv("HOME", (m_host / "home").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_host / "data").c_str(), 1);
        setenv("XDG_DATA_DIRS", (m_host / "sys").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_host / "config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (m_host / "sysconfig").c_str(), 1);
        // The machine's MIME database stays: a host without icon themes still has one.
        std::error_code ec;
        if (fs::is_directory("/usr/share/mime", ec))
            fs::create_directory_symlink("/usr/share/mime", m_host / "sys" / "mime", ec);
        m_windows = Device() / "Windows";
        fs::create_directories(m_windows);
    }

    // An icon theme "hicolor" with one solid picture per name.
    void AddThemeIcon(const std::string& name, QRgb colour) {
        fs::path theme = m_host / "sys" / "icons" / "hicolor";
        testsupport::WriteFile(theme / "index.theme", "[Icon Theme]\nName=Hicolor\n"
                                                      "Directories=32x32/any\n\n"
                                                      "[32x32/any]\nSize=32\nType=Fixed\n");
        WriteSolid(theme / "32x32" / "any" / (name + ".png"), colour);
    }

    const fs::path& Windows() const { return m_windows; }
    const fs::path& Host() const { return m_host; }

    static QImage Icon(const std::u16string& path, UINT flags = 0x300) {
        SHFILEINFO info;
        EXPECT_NE(SHGetFileInfo(path.c_str(), 0, &info, sizeof(info), flags), 0u);
        QImage picture = IconPicture(info.hIcon);
        EXPECT_TRUE(DestroyIcon(info.hIcon));
        return picture;
    }

private:
    fs::path m_host;
    fs::path m_windows;
};

TEST_F(ShellIcons, DesktopEntryWithAPictureFileGivesThatPictureScaled) {
    WriteQuadrants(Host() / "pics" / "app.png", 64);
    testsupport::WriteFile(Windows() / "app.desktop",
                           "[Desktop Entry]\nType=Application\nName=App\nIcon=" +
                               (Host() / "pics" / "app.png").string() + "\n");
    QImage large = Icon(u"\\Windows\\app.desktop");
    ASSERT_EQ(large.size(), QSize(32, 32));
    EXPECT_EQ(large.pixel(4, 4), kRed);
    EXPECT_EQ(large.pixel(27, 4), kGreen);
    EXPECT_EQ(large.pixel(4, 27), kBlue);
    EXPECT_EQ(large.pixel(27, 27), kWhite);
    QImage small = Icon(u"\\Windows\\app.desktop", 0x301);
    ASSERT_EQ(small.size(), QSize(16, 16));
    EXPECT_EQ(small.pixel(2, 2), kRed);
    EXPECT_EQ(small.pixel(13, 13), kWhite);
}

TEST_F(ShellIcons, WidePicturesKeepTheirProportions) {
    QImage wide(64, 32, QImage::Format_ARGB32);
    wide.fill(kBlue);
    fs::create_directories(Host() / "pics");
    ASSERT_TRUE(wide.save(QString::fromStdString((Host() / "pics" / "wide.png").string())));
    testsupport::WriteFile(Windows() / "wide.desktop", "[Desktop Entry]\nType=Application\nIcon=" +
                                                           (Host() / "pics" / "wide.png").string() +
                                                           "\n");
    QImage icon = Icon(u"\\Windows\\wide.desktop");
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(icon.pixel(16, 3)), 0);
    EXPECT_EQ(icon.pixel(16, 16), kBlue);
    EXPECT_EQ(qAlpha(icon.pixel(16, 28)), 0);
}

TEST_F(ShellIcons, ShortcutsGiveTheirTargetsIcon) {
    WriteQuadrants(Host() / "pics" / "app.png", 32);
    testsupport::WriteFile(
        Windows() / "Apps" / "my app.desktop",
        "[Desktop Entry]\nType=Application\nIcon=" + (Host() / "pics" / "app.png").string() + "\n");
    testsupport::WriteFile(Windows() / "plain.lnk", "26#\\Windows\\Apps\\my app.desktop");
    testsupport::WriteFile(Windows() / "quoted.lnk",
                           "28#\"\\Windows\\Apps\\my app.desktop\" --new\r\n");
    testsupport::WriteFile(Windows() / "chain.lnk", "20#\\Windows\\quoted.lnk");
    QImage target = Icon(u"\\Windows\\Apps\\my app.desktop");
    EXPECT_EQ(target.pixel(4, 4), kRed);
    EXPECT_EQ(Icon(u"\\Windows\\quoted.lnk"), target);
    EXPECT_EQ(Icon(u"\\Windows\\chain.lnk"), target);
    EXPECT_EQ(Icon(u"\\Windows\\plain.lnk"), target);
    testsupport::WriteFile(Windows() / "args.lnk", "29#\\Windows\\quoted.lnk --flag x");
    EXPECT_EQ(Icon(u"\\Windows\\args.lnk"), target);

    fs::create_directories(Windows() / "Folder");
    testsupport::WriteFile(Windows() / "folder.lnk", "15#\\Windows\\Folder");
    EXPECT_EQ(Icon(u"\\Windows\\folder.lnk"), Icon(u"\\Windows\\Folder"));
}

TEST_F(ShellIcons, EveryKindGetsAnIconOfItsOwnWithoutATheme) {
    fs::create_directories(Windows() / "Folder");
    testsupport::WriteFile(Windows() / "tool", "#!/bin/sh\n");
    fs::permissions(Windows() / "tool", fs::perms(0755));
    testsupport::WriteFile(Windows() / "site.url", "[InternetShortcut]\nURL=http://x/\n");
    testsupport::WriteFile(Windows() / "notes.txt", "text");
    testsupport::WriteFile(Windows() / "blob.zzqq", std::string("\0\1\2\3", 4));
    testsupport::WriteFile(Windows() / "plain.desktop", "[Desktop Entry]\nType=Application\n");

    const std::u16string paths[] = {u"\\Windows\\Folder",     u"\\Windows\\tool",
                                    u"\\Windows\\site.url",   u"\\Windows\\notes.txt",
                                    u"\\Windows\\blob.zzqq",  u"\\Windows\\plain.desktop",
                                    u"\\Windows\\missing.txt"};
    for (const auto& path : paths) {
        for (UINT flags : {0x300u, 0x301u}) {
            QImage icon = Icon(path, flags);
            int side = flags == 0x300u ? 32 : 16;
            EXPECT_EQ(icon.size(), QSize(side, side));
            EXPECT_TRUE(HasOpaquePixel(icon));
        }
    }
    QImage folder = Icon(u"\\Windows\\Folder");
    QImage tool = Icon(u"\\Windows\\tool");
    QImage url = Icon(u"\\Windows\\site.url");
    QImage text = Icon(u"\\Windows\\notes.txt");
    QImage app = Icon(u"\\Windows\\plain.desktop");
    EXPECT_NE(folder, tool);
    EXPECT_NE(folder, text);
    EXPECT_NE(tool, text);
    EXPECT_NE(url, text);
    EXPECT_NE(app, tool);
    // A missing file still gets the icon of its kind, told by its name.
    EXPECT_EQ(Icon(u"\\Windows\\missing.txt"), text);
    EXPECT_EQ(Icon(u"\\Windows\\missing.exe"), tool);
    EXPECT_EQ(Icon(u"\\Windows\\missing.url"), url);
    // With no browser known, the browser's icon is our web page.
    EXPECT_EQ(Icon(u"\\Windows\\iexplore.exe"), url);
}

TEST_F(ShellIcons, ThemeIconsAreUsedByKind) {
    AddThemeIcon("folder", kGreen);
    AddThemeIcon("application-x-executable", kBlue);
    AddThemeIcon("text-plain", kRed);
    AddThemeIcon("my-editor", kWhite);
    fs::create_directories(Windows() / "Folder");
    testsupport::WriteFile(Windows() / "tool", "#!/bin/sh\n");
    fs::permissions(Windows() / "tool", fs::perms(0755));
    testsupport::WriteFile(Windows() / "notes.txt", "text");
    testsupport::WriteFile(Windows() / "editor.desktop",
                           "[Desktop Entry]\nType=Application\nIcon=my-editor\n");
    testsupport::WriteFile(Windows() / "unknown.desktop",
                           "[Desktop Entry]\nType=Application\nIcon=not-in-theme\n");

    EXPECT_EQ(Icon(u"\\Windows\\Folder").pixel(16, 16), kGreen);
    EXPECT_EQ(Icon(u"\\Windows\\tool").pixel(16, 16), kBlue);
    EXPECT_EQ(Icon(u"\\Windows\\notes.txt").pixel(16, 16), kRed);
    EXPECT_EQ(Icon(u"\\Windows\\missing.txt", 0x301).pixel(8, 8), kRed);
    EXPECT_EQ(Icon(u"\\Windows\\editor.desktop").pixel(16, 16), kWhite);
    // A theme name the theme lacks falls back to the application icon of the theme.
    EXPECT_EQ(Icon(u"\\Windows\\unknown.desktop").pixel(16, 16), kBlue);
}

TEST_F(ShellIcons, BrowserIconComesFromTheDefaultBrowsersEntry) {
    WriteSolid(Host() / "pics" / "browser.png", kGreen, 48);
    testsupport::WriteFile(Host() / "data" / "applications" / "org.example.Browser.desktop",
                           "[Desktop Entry]\nType=Application\nIcon=" +
                               (Host() / "pics" / "browser.png").string() + "\n");
    testsupport::WriteFile(Host() / "config" / "mimeapps.list",
                           "[Added Associations]\nx-scheme-handler/http=wrong.desktop;\n"
                           "[Default Applications]\n"
                           "x-scheme-handler/http=absent.desktop;org.example.Browser.desktop;\n");
    EXPECT_EQ(Icon(u"\\Windows\\iexplore.exe").pixel(16, 16), kGreen);
    EXPECT_EQ(Icon(u"\\windows\\IEXPLORE.EXE", 0x301).pixel(8, 8), kGreen);
}

TEST_F(ShellIcons, BrowserIconFallsBackToTheThemesWebBrowser) {
    AddThemeIcon("web-browser", kBlue);
    EXPECT_EQ(Icon(u"\\Windows\\iexplore.exe").pixel(16, 16), kBlue);
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

TEST_F(ShellIcons, SmallIconIndexIsSharedByIconsOfOneKind) {
    fs::create_directories(Windows() / "A");
    testsupport::WriteFile(Windows() / "a.txt", "x");
    testsupport::WriteFile(Windows() / "b.txt", "y");
    testsupport::WriteFile(Windows() / "c.url", "[InternetShortcut]\n");
    auto index = [](const std::u16string& path) {
        SHFILEINFO info;
        EXPECT_NE(SHGetFileInfo(path.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX), 0u);
        EXPECT_EQ(info.hIcon, nullptr);
        return info.iIcon;
    };
    EXPECT_EQ(index(u"\\"), 0);
    EXPECT_EQ(index(u"\\Windows\\A"), 0);
    int text = index(u"\\Windows\\a.txt");
    EXPECT_NE(text, 0);
    EXPECT_EQ(index(u"\\Windows\\b.txt"), text);
    int url = index(u"\\Windows\\c.url");
    EXPECT_NE(url, text);
    EXPECT_NE(url, 0);

    const QImage* small = platform::detail::SystemSmallIcon(text);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->size(), QSize(16, 16));
    EXPECT_EQ(*small, Icon(u"\\Windows\\a.txt", 0x301));
    EXPECT_EQ(platform::detail::SystemSmallIconCount(), 3);
    EXPECT_EQ(platform::detail::SystemSmallIcon(-1), nullptr);
    EXPECT_EQ(platform::detail::SystemSmallIcon(3), nullptr);
}

TEST_F(ShellIcons, DesktopEntriesKeepTheirOwnSmallIconsWhereOtherFilesShareByKind) {
    WriteSolid(Host() / "pics" / "red.png", kRed);
    WriteSolid(Host() / "pics" / "blue.png", kBlue);
    for (const char* colour : {"red", "blue"})
        testsupport::WriteFile(Windows() / (std::string(colour) + ".desktop"),
                               "[Desktop Entry]\nType=Application\nName=X\nIcon=" +
                                   (Host() / "pics" / (std::string(colour) + ".png")).string() +
                                   "\n");
    for (const char* name : {"run1", "run2"}) {
        testsupport::WriteFile(Windows() / name, "#!/bin/sh\n");
        fs::permissions(Windows() / name, fs::perms::owner_exec, fs::perm_options::add);
    }
    testsupport::WriteFile(Windows() / "plain", "words");
    auto index = [](const std::u16string& path) {
        SHFILEINFO info;
        SHGetFileInfo(path.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX);
        return info.iIcon;
    };
    const int red = index(u"\\Windows\\red.desktop");
    EXPECT_NE(index(u"\\Windows\\blue.desktop"), red);
    EXPECT_EQ(platform::detail::SystemSmallIcon(red)->pixel(8, 8), kRed);
    EXPECT_EQ(index(u"\\Windows\\run1"), index(u"\\Windows\\run2"));
    EXPECT_NE(index(u"\\Windows\\run1"), index(u"\\Windows\\plain")) << "running counts";
}

TEST_F(ShellIcons, MalformedEntriesAndShortcutsStillGetIcons) {
    fs::path malformed = Windows() / "malformed";
    fs::copy(TOVALO_PLATFORM_TEST_DATA "/malformed", malformed);
    testsupport::WriteFile(
        malformed / "bad-picture.desktop",
        "[Desktop Entry]\nType=Application\nIcon=" + (malformed / "truncated.png").string() + "\n");
    for (const auto& file : fs::directory_iterator(malformed)) {
        std::u16string path = u"\\Windows\\malformed\\" + file.path().filename().u16string();
        for (UINT flags : {0x300u, 0x301u, SHGFI_SYSICONINDEX}) {
            SHFILEINFO info;
            ASSERT_NE(SHGetFileInfo(path.c_str(), 0, &info, sizeof(info), flags), 0u);
            if (flags == SHGFI_SYSICONINDEX) {
                EXPECT_NE(platform::detail::SystemSmallIcon(info.iIcon), nullptr);
                continue;
            }
            QImage icon = IconPicture(info.hIcon);
            EXPECT_TRUE(HasOpaquePixel(icon)) << file.path();
            EXPECT_EQ(icon.width(), flags == 0x300u ? 32 : 16);
            DestroyIcon(info.hIcon);
        }
    }
}

// An icon resource made in 16 (red) and 48 (green) pixels, as the program's own is.
TEST(IconResources, EachSizeAskedTakesThePictureMadeForItOrTheNearestLarger) {
    struct Row {
        int asked;
        int side;
        QRgb colour;
    };
    constexpr UINT kId = 901;
    for (auto [side, colour] : {std::pair{16u, kRed}, std::pair{48u, kGreen}}) {
        const std::string bytes = testsupport::MakeSolidBmp(side, side, colour & 0xFFFFFF);
        platform::AddIconResource(kId, reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
    }
    const Row rows[] = {{16, 16, kRed}, {48, 48, kGreen}, {24, 24, kGreen},
                        {8, 8, kRed},   {64, 64, kGreen}, {0, 16, kRed}};
    for (const Row& row : rows) {
        HICON icon = LoadImageW(nullptr, MAKEINTRESOURCE(kId), IMAGE_ICON, row.asked, row.asked, 0);
        ASSERT_NE(icon, nullptr) << row.asked;
        const QImage picture = IconPicture(icon);
        EXPECT_EQ(picture.width(), row.side) << row.asked;
        EXPECT_EQ(picture.pixel(row.side / 2, row.side / 2), row.colour) << row.asked;
        DestroyIcon(icon);
    }
}

} // namespace
