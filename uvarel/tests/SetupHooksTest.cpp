#include <uvarel/SetupHooks.h>

#include <ostrel/CPXRegData.h>
#include <platform/Registry.h>

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

namespace {

using Hooks = testsupport::DeviceFolderTest;

bool KeyExists(const WCHAR* path) {
    HKEY key = nullptr;
    LONG result = RegOpenKeyExW(HKEY_CURRENT_USER, path, &key);
    if (key)
        RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

TEST_F(Hooks, InstallWritesNothingAndRemovalDeletesOnlyTheStore) {
    EXPECT_EQ(Install_Init(nullptr, TRUE, FALSE, u"\\Program Files\\Tovalo"),
              codeINSTALL_INIT_CONTINUE);
    EXPECT_EQ(Install_Exit(nullptr, u"\\Program Files\\Tovalo", 0, 0, 0, 0, 0),
              codeINSTALL_EXIT_DONE);
    EXPECT_EQ(Uninstall_Init(nullptr, nullptr), codeUNINSTALL_INIT_CONTINUE) << "no store";
    EXPECT_FALSE(KeyExists(u"Software"));

    CPXRegData().InitRegistry();
    HKEY sibling = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\NorviSoft\\Other", &sibling);
    RegCloseKey(sibling);
    ASSERT_TRUE(KeyExists(u"Software\\NorviSoft\\NorviLuncher\\EXEs\\EXEs49"));
    EXPECT_EQ(Uninstall_Init(nullptr, u"\\Program Files\\Tovalo"), codeUNINSTALL_INIT_CONTINUE);
    EXPECT_FALSE(KeyExists(u"Software\\NorviSoft\\NorviLuncher"));
    EXPECT_TRUE(KeyExists(u"Software\\NorviSoft\\Other"));
    EXPECT_EQ(Uninstall_Exit(nullptr), codeUNINSTALL_EXIT_DONE);
}

} // namespace
