#include <uvarel/SetupHooks.h>

#include <ostrel/CPXRegData.h>
#include <testsupport/DeviceFolder.h>
#include <testsupport/StoreDump.h>

using Hooks = testsupport::DeviceFolderTest;

TEST_F(Hooks, InstallWritesNothingAndRemovalDeletesOnlyTheStore) {
    EXPECT_EQ(Install_Init(nullptr, TRUE, FALSE, u"\\Program Files"), codeINSTALL_INIT_CONTINUE);
    EXPECT_EQ(Install_Exit(nullptr, u"\\Program Files", 0, 0, 0, 0, 0), codeINSTALL_EXIT_DONE);
    EXPECT_EQ(Uninstall_Init(nullptr, nullptr), codeUNINSTALL_INIT_CONTINUE) << "no store";
    EXPECT_TRUE(storedump::Dump(u"Software").empty());
    CPXRegData().InitRegistry();
    HKEY other = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\NorviSoft\\Other", &other);
    RegCloseKey(other);
    EXPECT_EQ(Uninstall_Init(nullptr, u"\\Program Files"), codeUNINSTALL_INIT_CONTINUE);
    EXPECT_TRUE(storedump::Dump(u"Software\\NorviSoft\\NorviLuncher").empty());
    EXPECT_FALSE(storedump::Dump(u"Software\\NorviSoft\\Other").empty());
    EXPECT_EQ(Uninstall_Exit(nullptr), codeUNINSTALL_EXIT_DONE);
}
