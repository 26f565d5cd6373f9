#include <uvarel/SetupHooks.h>

#include <ostrel/CPXRegData.h>
#include <testsupport/DeviceFolder.h>
#include <testsupport/StoreDump.h>

using Hooks = testsupport::DeviceFolderTest;

TEST_F(Hooks, InstallWritesNothingAndRemovalDeletesOnlyTheStore) {
    EXPECT_EQ(Install_Init(nullptr, TRUE, FALSE, u"\\Program Files"), codeINSTALL_INIT_CONTINUE);
    EXPECT_EQ(Install_Exit(nullptr, u"\\Program Files", 0, 0, 0, 0, 0), codeINSTALL_EXIT_DONE);
    EXPECT_EQ(Uninstall_Init(nullptr, nullptr), codeUNINSTALL_INIT_CONTINUE) << "no store";
    EXPECT_FALSE(storedump::KeyExists(u"Software"));
    CPXRegData().InitRegistry();
    storedump::SetDword(u"Software\\NorviSoft\\Other", u"Kept", 1);
    EXPECT_EQ(Uninstall_Init(nullptr, u"\\Program Files"), codeUNINSTALL_INIT_CONTINUE);
    EXPECT_FALSE(storedump::KeyExists(u"Software\\NorviSoft\\NorviLuncher"));
    EXPECT_TRUE(storedump::KeyExists(u"Software\\NorviSoft\\Other"));
    EXPECT_EQ(Uninstall_Exit(nullptr), codeUNINSTALL_EXIT_DONE);
}
