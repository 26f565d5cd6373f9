#include <ostrel/CPXRegData.h>
#include <platform/Registry.h>
#include <testsupport/DeviceFolder.h>
#include <testsupport/Program.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testsupport::ProgramResult;
using testsupport::ReadFile;
using testsupport::RunProgram;
using testsupport::WriteFile;

namespace {

const fs::path kBin = TOVALO_BIN_DIR;

// What the hive holds before the step.
enum class Hive { LauncherAndOthers, OthersOnly, Damaged };

struct Case {
    const char* name;
    Hive hive;
    const char* command; // "install" or "uninstall", or a wrong use
    // The hooks library: empty for the launcher's own, "recording", or a file in the device
    // folder ("missing.so" is none, "damaged.so" is not a library), or "other" for a library
    // without hooks.
    const char* hooks;
    const char* stop; // TOVALO_HOOKS_STOP for the recording hooks
    int exit;
    const char* says; // part of what the step prints, on standard output when it succeeds
    const char* calls;
    bool storeRemoved;
};

const Case kCases[] = {
    {"RemovalDeletesTheStoreAndNothingElse", Hive::LauncherAndOthers, "uninstall", "", "", 0,
     "Removed the launcher's settings", "", true},
    {"RemovalWithoutAStoreChangesNothing", Hive::OthersOnly, "uninstall", "", "", 0,
     "no launcher settings to remove", "", false},
    {"InstallingWritesNothing", Hive::LauncherAndOthers, "install", "", "", 0, "Tovalo is ready",
     "", false},
    {"InstallInitStops", Hive::OthersOnly, "install", "recording", "Install_Init=1", 1,
     "Install_Init stopped the installation (code 1)", "Install_Init\n", false},
    {"InstallExitStops", Hive::OthersOnly, "install", "recording", "Install_Exit=7", 1,
     "Install_Exit stopped the installation (code 7)", "Install_Init\nInstall_Exit\n", false},
    {"UninstallInitStops", Hive::LauncherAndOthers, "uninstall", "recording", "Uninstall_Init=1", 1,
     "Uninstall_Init stopped the removal (code 1)", "Uninstall_Init\n", false},
    {"UninstallExitStops", Hive::OthersOnly, "uninstall", "recording", "Uninstall_Exit=2", 1,
     "Uninstall_Exit stopped the removal (code 2)", "Uninstall_Init\nUninstall_Exit\n", false},
    {"StoreLeftInPlaceIsReported", Hive::LauncherAndOthers, "uninstall", "recording", "", 1,
     "could not be removed", "Uninstall_Init\nUninstall_Exit\n", false},
    {"MissingHooksLibrary", Hive::LauncherAndOthers, "uninstall", "missing.so", "", 1,
     "there is no file", "", false},
    {"DamagedHooksLibrary", Hive::LauncherAndOthers, "uninstall", "damaged.so", "", 1,
     "it cannot be loaded", "", false},
    {"LibraryWithoutTheHooks", Hive::LauncherAndOthers, "install", "other", "", 1,
     "it has no hook Install_Init", "", false},
    {"DamagedHiveIsLeftAlone", Hive::Damaged, "uninstall", "recording", "", 1, "is damaged", "",
     false},
    {"UnknownCommand", Hive::OthersOnly, "remove", "", "", 2, "usage: tovalo-setup", "", false},
    {"HooksOptionWithoutFile", Hive::OthersOnly, "install --hooks", "", "", 2,
     "usage: tovalo-setup", "", false},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class SetupToolTest : public testsupport::DeviceFolderTest,
                      public ::testing::WithParamInterface<Case> {
protected:
    std::string Export() {
        platform::CloseRegistry();
        const ProgramResult result = RunProgram(kBin / "tovalo-reg", {"export"});
        EXPECT_EQ(result.exit, 0) << result.err;
        return result.out;
    }

    void MakeHive(Hive hive) {
        if (hive == Hive::Damaged) {
            WriteFile(Device() / "registry.db", std::string(4096, '\x5A'));
            return;
        }
        if (hive == Hive::LauncherAndOthers) {
            ASSERT_EQ(CPXRegData().InitRegistry(), 3333u);
        }
        for (const char16_t* path : {u"Software\\NorviSoft\\Other", u"Software\\Else"}) {
            platform::RegistryKey key(path, true);
            const DWORD value = 7;
            ASSERT_EQ(RegSetValueExW(key.Get(), u"Kept", REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&value), 4),
                      ERROR_SUCCESS);
        }
        platform::CloseRegistry();
    }

    std::string HooksFile(const std::string& hooks) {
        if (hooks == "recording")
            return RECORDING_HOOKS;
        if (hooks == "other")
            return OTHER_LIBRARY;
        WriteFile(Device() / "damaged.so", "\x7F"
                                           "ELF but not one");
        return hooks.empty() ? "" : (Device() / hooks).string();
    }
};

TEST_P(SetupToolTest, Step) {
    const Case& c = GetParam();
    MakeHive(c.hive);
    const fs::path log = Device().parent_path() / (Device().filename().string() + "-hooks.log");
    const std::string hiveBefore = ReadFile(Device() / "registry.db");
    const std::string before = c.hive == Hive::Damaged ? "" : Export();
    WriteFile(Device() / "Windows" / "user-file.txt", "the user's own");

    std::vector<std::string> args;
    std::istringstream words(c.command);
    for (std::string word; words >> word;)
        args.push_back(word);
    if (const std::string hooks = HooksFile(c.hooks); !hooks.empty())
        args.insert(args.end(), {"--hooks", hooks});
    const ProgramResult result = RunProgram(
        kBin / "tovalo-setup", args,
        {"TOVALO_HOOKS_LOG=" + log.string(), std::string("TOVALO_HOOKS_STOP=") + c.stop});
    const std::string calls = ReadFile(log);
    fs::remove(log);

    EXPECT_EQ(result.exit, c.exit) << result.out << result.err;
    EXPECT_NE((c.exit == 0 ? result.out : result.err).find(c.says), std::string::npos)
        << "out: " << result.out << "err: " << result.err;
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(ReadFile(Device() / "Windows" / "user-file.txt"), "the user's own");
    if (c.hive == Hive::Damaged) {
        EXPECT_EQ(ReadFile(Device() / "registry.db"), hiveBefore);
        return;
    }
    const std::string after = Export();
    if (!c.storeRemoved) {
        EXPECT_EQ(after, before);
        return;
    }
    // What is left is what a hive that never held the launcher's store holds.
    EXPECT_NE(after, before);
    for (const char* file : {"registry.db", "registry.db-wal", "registry.db-shm"})
        fs::remove(Device() / file);
    MakeHive(Hive::OthersOnly);
    EXPECT_EQ(after, Export());
}

INSTANTIATE_TEST_SUITE_P(Setup, SetupToolTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
