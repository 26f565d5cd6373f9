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
constexpr const char* kStoreHeader = "[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher";

// What the hive holds before the step.
enum class Hive { LauncherAndOthers, OthersOnly, Damaged };
// Which hooks library the step is given.
enum class Hooks { Launcher, Recording, Missing, NotALibrary, WithoutHooks };
// What the step must have done to the hive.
enum class After { Unchanged, StoreRemoved };

struct Case {
    const char* name;
    Hive hive;
    Hooks hooks;
    std::vector<std::string> args;
    const char* stop; // TOVALO_HOOKS_STOP for the recording hooks
    int exit;
    const char* says; // part of what the step prints, on standard output when it succeeds
    const char* calls;
    After after;
};

const Case kCases[] = {
    {"RemovalDeletesTheStoreAndNothingElse",
     Hive::LauncherAndOthers,
     Hooks::Launcher,
     {"uninstall"},
     "",
     0,
     "Removed the launcher's settings",
     "",
     After::StoreRemoved},
    {"RemovalWithoutAStoreChangesNothing",
     Hive::OthersOnly,
     Hooks::Launcher,
     {"uninstall"},
     "",
     0,
     "no launcher settings to remove",
     "",
     After::Unchanged},
    {"InstallingWritesNothing",
     Hive::LauncherAndOthers,
     Hooks::Launcher,
     {"install"},
     "",
     0,
     "Tovalo is ready",
     "",
     After::Unchanged},
    {"InstallCallsItsHooksInOrder",
     Hive::OthersOnly,
     Hooks::Recording,
     {"install"},
     "",
     0,
     "Tovalo is ready",
     "Install_Init\nInstall_Exit\n",
     After::Unchanged},
    {"UninstallCallsItsHooksInOrder",
     Hive::OthersOnly,
     Hooks::Recording,
     {"uninstall"},
     "",
     0,
     "no launcher settings",
     "Uninstall_Init\nUninstall_Exit\n",
     After::Unchanged},
    {"InstallInitStops",
     Hive::OthersOnly,
     Hooks::Recording,
     {"install"},
     "Install_Init=1",
     1,
     "Install_Init stopped the installation (code 1)",
     "Install_Init\n",
     After::Unchanged},
    {"InstallExitStops",
     Hive::OthersOnly,
     Hooks::Recording,
     {"install"},
     "Install_Exit=7",
     1,
     "Install_Exit stopped the installation (code 7)",
     "Install_Init\nInstall_Exit\n",
     After::Unchanged},
    {"UninstallInitStops",
     Hive::LauncherAndOthers,
     Hooks::Recording,
     {"uninstall"},
     "Uninstall_Init=1",
     1,
     "Uninstall_Init stopped the removal (code 1)",
     "Uninstall_Init\n",
     After::Unchanged},
    {"UninstallExitStops",
     Hive::OthersOnly,
     Hooks::Recording,
     {"uninstall"},
     "Uninstall_Exit=2",
     1,
     "Uninstall_Exit stopped the removal (code 2)",
     "Uninstall_Init\nUninstall_Exit\n",
     After::Unchanged},
    {"StoreLeftInPlaceIsReported",
     Hive::LauncherAndOthers,
     Hooks::Recording,
     {"uninstall"},
     "",
     1,
     "could not be removed",
     "Uninstall_Init\nUninstall_Exit\n",
     After::Unchanged},
    {"MissingHooksLibrary",
     Hive::LauncherAndOthers,
     Hooks::Missing,
     {"uninstall"},
     "",
     1,
     "cannot use the setup library",
     "",
     After::Unchanged},
    {"DamagedHooksLibrary",
     Hive::LauncherAndOthers,
     Hooks::NotALibrary,
     {"uninstall"},
     "",
     1,
     "it cannot be loaded",
     "",
     After::Unchanged},
    {"LibraryWithoutTheHooks",
     Hive::LauncherAndOthers,
     Hooks::WithoutHooks,
     {"install"},
     "",
     1,
     "it has no hook Install_Init",
     "",
     After::Unchanged},
    {"DamagedHiveIsLeftAlone",
     Hive::Damaged,
     Hooks::Recording,
     {"uninstall"},
     "",
     1,
     "is damaged",
     "",
     After::Unchanged},
    {"NoCommand",
     Hive::OthersOnly,
     Hooks::Launcher,
     {},
     "",
     2,
     "usage: tovalo-setup",
     "",
     After::Unchanged},
    {"UnknownCommand",
     Hive::OthersOnly,
     Hooks::Launcher,
     {"remove"},
     "",
     2,
     "usage: tovalo-setup",
     "",
     After::Unchanged},
    {"HooksOptionWithoutFile",
     Hive::OthersOnly,
     Hooks::Launcher,
     {"install", "--hooks"},
     "",
     2,
     "usage: tovalo-setup",
     "",
     After::Unchanged},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// The export's blocks of keys outside the launcher's store, in order.
std::string WithoutStore(const std::string& exported) {
    std::istringstream in(exported);
    std::string line;
    std::string out;
    bool inStore = false;
    while (std::getline(in, line)) {
        if (line.starts_with("[")) {
            const std::string_view rest = std::string_view(line).substr(
                std::min(line.size(), std::string_view(kStoreHeader).size()));
            inStore = line.starts_with(kStoreHeader) && (rest == "]" || rest.starts_with("\\"));
        }
        if (!inStore)
            out += line + "\n";
    }
    return out;
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

    std::string HooksFile(Hooks hooks) {
        switch (hooks) {
        case Hooks::Launcher:
            return "";
        case Hooks::Recording:
            return RECORDING_HOOKS;
        case Hooks::Missing:
            return (Device() / "no-such-hooks.so").string();
        case Hooks::NotALibrary:
            WriteFile(Device() / "damaged.so", "\x7F"
                                               "ELF but not one");
            return (Device() / "damaged.so").string();
        case Hooks::WithoutHooks:
            return OTHER_LIBRARY;
        }
        return "";
    }
};

TEST_P(SetupToolTest, Step) {
    const Case& c = GetParam();
    MakeHive(c.hive);
    const fs::path log = Device().parent_path() / (Device().filename().string() + "-hooks.log");
    const std::string hiveBefore = ReadFile(Device() / "registry.db");
    const std::string before = c.hive == Hive::Damaged ? "" : Export();
    WriteFile(Device() / "Windows" / "user-file.txt", "the user's own");

    std::vector<std::string> args = c.args;
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
    if (c.after == After::Unchanged) {
        EXPECT_EQ(after, before);
        return;
    }
    EXPECT_NE(before.find(kStoreHeader), std::string::npos);
    EXPECT_EQ(after.find(kStoreHeader), std::string::npos);
    EXPECT_EQ(after, WithoutStore(before));
    EXPECT_NE(after.find("[HKEY_CURRENT_USER\\Software\\NorviSoft]"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Setup, SetupToolTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
