#include "LauncherFixture.h"

#include <ostrel/CPXRegData.h>
#include <platform/Registry.h>
#include <testsupport/StoreDump.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace tovalo::test;
using Clock = std::chrono::steady_clock;
using namespace std::string_literals;

constexpr const WCHAR* kRoot = u"Software\\NorviSoft\\NorviLuncher";

// The real program on a device folder of its own, showing its first screen offscreen and
// ending; its standard error goes to a file.
pid_t StartProgram(const fs::path& device, const fs::path& errors) {
    pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    for (auto [name, value] : {std::pair<const char*, std::string>{"TOVALO_DEVICE", device},
                               {"TOVALO_SNAPSHOT", device / "screen.png"},
                               {"QT_QPA_PLATFORM", "offscreen"},
                               {"TOVALO_FRAME_PACING", "0"},
                               {"XDG_DATA_HOME", device / "no-desktop"}})
        setenv(name, value.c_str(), 1);
    ::dup2(::open("/dev/null", O_WRONLY), 1);
    ::dup2(::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    const std::string program = std::string(TOVALO_BIN_DIR) + "/tovalo";
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

int ExitStatus(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The launcher's store as the registry of that device folder holds it.
storedump::Tree StoreOf(const fs::path& device) {
    setenv("TOVALO_DEVICE", device.c_str(), 1);
    storedump::Tree tree = storedump::Dump(kRoot);
    platform::CloseRegistry();
    return tree;
}

// A device folder whose start menu holds the given number of shortcuts.
fs::path DeviceWithPrograms(const fs::path& device, int programs) {
    fs::create_directories(device / "Windows" / "Favorites");
    for (int i = 0; i < programs; ++i)
        testsupport::WriteFile(device / "Windows" / "Start Menu" / "Programs" /
                                   ("Program " + std::to_string(i) + ".lnk"),
                               "22#\\Windows\\program" + std::to_string(i) + ".exe");
    return device;
}

using StoreStartTest = LauncherTest;

TEST_F(StoreStartTest, AFirstStartKilledAtAnyMomentLeavesNoStoreOrTheWholeOne) {
    // More shortcuts than slots, so that the fill also meets a full store.
    constexpr int kPrograms = 80;
    const fs::path reference = DeviceWithPrograms(Device() / "reference", kPrograms);
    const auto began = Clock::now();
    ASSERT_EQ(ExitStatus(StartProgram(reference, Device() / "reference.err")), 0);
    const auto duration = Clock::now() - began;
    const storedump::Tree whole = StoreOf(reference);
    ASSERT_EQ(whole.at(u"EXEs").at(u"EXEICONCOUNT"), storedump::Dword(50));

    std::mt19937 random(std::random_device{}());
    constexpr int kTries = 16;
    for (int i = 0; i < kTries; ++i) {
        // Moments spread over the whole start, each shifted at random within its share.
        const auto share = duration / kTries;
        const auto delay = share * i + share * std::uniform_real_distribution<>(0, 1)(random);
        const fs::path device = DeviceWithPrograms(Device() / std::to_string(i), kPrograms);
        const pid_t pid = StartProgram(device, Device() / "try.err");
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
        ExitStatus(pid);
        const storedump::Tree store = StoreOf(device);
        if (store.empty())
            continue;
        EXPECT_EQ(store, whole) << "killed after " << std::chrono::duration<double>(delay).count()
                                << " s: a part of the store was kept";
    }
}

TEST_F(StoreStartTest, ADamagedOrUnreadableStoreIsToldAndTheStartFailsWritingNothing) {
    const struct {
        const char* what;
        void (*make)(const fs::path& hive);
    } rows[] = {
        {"a file that is no hive",
         [](const fs::path& hive) { testsupport::WriteFile(hive, std::string(5000, 'G')); }},
        {"a folder in the hive's place", [](const fs::path& hive) { fs::create_directory(hive); }},
    };
    // A sound store kept in the history first, so that the message can name a backup.
    CPXRegData().InitRegistry();
    ASSERT_TRUE(platform::BackUpRegistry(platform::BackupReason::Start).ok);
    const fs::path backups = Device() / "backups";
    const auto kept = std::distance(fs::directory_iterator(backups), fs::directory_iterator());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        platform::CloseRegistry();
        m_messages.clear();
        const fs::path hive = Device() / "registry.db";
        fs::remove_all(hive);
        row.make(hive);
        const std::string before = fs::is_regular_file(hive) ? testsupport::ReadFile(hive) : "";

        CTovaloApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.ExitInstance(), 1);
        ASSERT_EQ(m_messages.size(), 1u);
        const std::string told(m_messages[0].begin(), m_messages[0].end());
        for (const std::string& part : {hive.string(), backups.string(), "tovalo-reg restore"s})
            EXPECT_NE(told.find(part), std::string::npos) << told;
        EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), nullptr);
        EXPECT_EQ(fs::is_regular_file(hive) ? testsupport::ReadFile(hive) : "", before);
        EXPECT_EQ(std::distance(fs::directory_iterator(backups), fs::directory_iterator()), kept)
            << "a damaged file must not join the backups";
    }
}

TEST_F(StoreStartTest, TheProgramOnADamagedStoreSaysSoOnStandardErrorAndFails) {
    const fs::path device = DeviceWithPrograms(Device() / "damaged", 1);
    testsupport::WriteFile(device / "registry.db", "not a hive");
    EXPECT_EQ(ExitStatus(StartProgram(device, Device() / "damaged.err")), 1);
    const std::string errors = testsupport::ReadFile(Device() / "damaged.err");
    EXPECT_NE(errors.find((device / "registry.db").string() + " is damaged"), std::string::npos)
        << errors;
    EXPECT_NE(errors.find((device / "backups").string()), std::string::npos) << errors;
    EXPECT_EQ(testsupport::ReadFile(device / "registry.db"), "not a hive");
}

TEST_F(StoreStartTest, AChangeTheStoreCouldNotKeepIsToldOncePerOperation) {
    Start();
    ASSERT_TRUE(m_messages.empty());
    HKEY skin = nullptr;
    const std::u16string skinKey = std::u16string(kRoot) + u"\\Skin";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, skinKey.c_str(), &skin), ERROR_SUCCESS);
    // Another program deletes the key under the launcher's hands.
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, skinKey.c_str()), ERROR_SUCCESS);
    // Two values fail in one operation, then one in a later one: a message for each operation.
    const DWORD one = 1;
    for (const auto& names : {Texts{u"SkinCheck", u"PATHSKIN"}, Texts{u"SkinCheck"}}) {
        for (const auto& name : names)
            EXPECT_EQ(RegSetValueExW(skin, name.c_str(), REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&one), sizeof one),
                      ERROR_KEY_DELETED);
        platform::PumpMessages();
    }
    ASSERT_EQ(m_messages.size(), 2u);
    const std::string told(m_messages[0].begin(), m_messages[0].end());
    EXPECT_NE(told.find((Device() / "registry.db").string()), std::string::npos) << told;
    RegCloseKey(skin);
}

} // namespace
