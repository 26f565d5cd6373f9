#include <platform/Device.h>

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

namespace {

using DevicePaths = testsupport::DeviceFolderTest;

TEST_F(DevicePaths, WindowsFolderLivesInTheDeviceFolder) {
    EXPECT_EQ(platform::HostPath(u"\\Windows\\Start Menu\\Programs\\"),
              Device() / "Windows" / "Start Menu" / "Programs" / "");
    EXPECT_EQ(platform::HostPath(u"\\windows\\iexplore.exe"),
              Device() / "Windows" / "iexplore.exe");
    EXPECT_EQ(platform::HostPath(u"\\Windows"), Device() / "Windows");
}

TEST_F(DevicePaths, OtherPathsAreTheHostsOwn) {
    EXPECT_EQ(platform::HostPath(u"\\usr\\bin"), std::filesystem::path("/usr/bin"));
    EXPECT_EQ(platform::HostPath(u"\\"), std::filesystem::path("/"));
    EXPECT_EQ(platform::HostPath(u"\\WindowsApps\\x"), std::filesystem::path("/WindowsApps/x"));
    EXPECT_EQ(platform::HostPath(u"\\tmp\\caf\u00e9"), std::filesystem::path("/tmp/caf\xc3\xa9"));
}

TEST_F(DevicePaths, HostPathsMapBack) {
    EXPECT_EQ(platform::DevicePath("/usr/bin"), u"\\usr\\bin");
    EXPECT_EQ(platform::DevicePath(Device() / "Windows" / "Favorites"), u"\\Windows\\Favorites");
    EXPECT_EQ(platform::DevicePath(Device() / "Windows"), u"\\Windows");
    EXPECT_EQ(platform::DevicePath("/"), u"\\");
}

TEST_F(DevicePaths, NamesADevicePathCannotCarryAreRefused) {
    EXPECT_FALSE(platform::DevicePath("/tmp/back\\slash").has_value());
    EXPECT_FALSE(platform::DevicePath("/tmp/bad\xff").has_value());
}

TEST(DeviceFolderDefault, FollowsXdgDataHome) {
    unsetenv("TOVALO_DEVICE");
    setenv("XDG_DATA_HOME", "/somewhere/data", 1);
    EXPECT_EQ(platform::DeviceFolder(), std::filesystem::path("/somewhere/data/tovalo"));
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(platform::DeviceFolder(), std::filesystem::path("/home/someone/.local/share/tovalo"));
}

TEST(ModuleDirectory, IsTheFolderOfTheTestExecutable) {
    std::u16string dir = platform::ModuleDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.front(), u'\\');
    EXPECT_NE(dir.back(), u'\\');
    EXPECT_NE(dir.find(u"tests"), std::u16string::npos);
}

} // namespace
