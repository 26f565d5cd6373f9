#include <platform/Device.h>

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

using DevicePaths = testsupport::DeviceFolderTest;

TEST_F(DevicePaths, WindowsIsTheDevicesAndTheRestTheHostsBothWays) {
    const fs::path w = Device() / "Windows";
    const std::pair<std::u16string, fs::path> both[] = {{u"\\Windows", w},
                                                        {u"\\Windows\\Favorites", w / "Favorites"},
                                                        {u"\\usr\\bin", "/usr/bin"},
                                                        {u"\\", "/"},
                                                        {u"\\WindowsApps\\x", "/WindowsApps/x"},
                                                        {u"\\tmp\\caf\u00e9", "/tmp/caf\xc3\xa9"}};
    for (const auto& [device, host] : both) {
        EXPECT_EQ(platform::HostPath(device), host) << host;
        EXPECT_EQ(platform::DevicePath(host), device) << host;
    }
    EXPECT_EQ(platform::HostPath(u"\\windows\\iexplore.exe"), w / "iexplore.exe");
    EXPECT_EQ(platform::HostPath(u"\\Windows\\Start Menu\\Programs\\"),
              w / "Start Menu" / "Programs" / "");
    EXPECT_FALSE(platform::DevicePath("/tmp/back\\slash").has_value());
    EXPECT_FALSE(platform::DevicePath("/tmp/bad\xff").has_value());
}

TEST(DeviceFolderDefault, FollowsXdgDataHome) {
    unsetenv("TOVALO_DEVICE");
    setenv("XDG_DATA_HOME", "/somewhere/data", 1);
    EXPECT_EQ(platform::DeviceFolder(), fs::path("/somewhere/data/tovalo"));
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(platform::DeviceFolder(), fs::path("/home/someone/.local/share/tovalo"));
}

TEST(ModuleDirectory, IsTheFolderOfTheTestExecutable) {
    std::u16string dir = platform::ModuleDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(dir.front() == u'\\' && dir.back() != u'\\');
    EXPECT_NE(dir.find(u"tests"), std::u16string::npos);
}

} // namespace
