#include "RegistryHelpers.h"
#include "registry/Hive.h"

#include <platform/Registry.h>
#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using regtest::Key;
using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

constexpr const char16_t* kLauncher = u"Software\\NorviSoft\\NorviLuncher";

// Runs `work` in a child process with a hive connection of its own; returns what it said.
std::string InChild(const std::function<std::string()>& work) {
    platform::CloseRegistry();
    int out[2];
    if (::pipe(out) != 0)
        return "no pipe";
    pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        std::string said = work();
        ssize_t written = ::write(out[1], said.data(), said.size());
        _exit(written == static_cast<ssize_t>(said.size()) ? 0 : 1);
    }
    ::close(out[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    return said;
}

class RegistryBackupTest : public testsupport::DeviceFolderTest {
protected:
    fs::path Hive() const { return Device() / "registry.db"; }
    static void Set(DWORD value) { ASSERT_EQ(Key(kLauncher).SetDword(u"V", value), ERROR_SUCCESS); }
    static DWORD Get() { return Key(kLauncher, false).Dword(u"V"); }
    static platform::RegistryReport Keep() {
        return platform::BackUpRegistry(platform::BackupReason::Start);
    }
    static std::size_t Kept() { return platform::RegistryBackups().size(); }
    // The value V that a kept copy holds, read as the hive of a device folder of its own.
    DWORD ValueIn(const fs::path& copy) {
        const fs::path look = Device() / "look";
        fs::create_directories(look);
        fs::copy_file(copy, look / "registry.db", fs::copy_options::overwrite_existing);
        setenv("TOVALO_DEVICE", look.c_str(), 1);
        DWORD value = Get();
        platform::CloseRegistry();
        fs::remove_all(look);
        setenv("TOVALO_DEVICE", Device().c_str(), 1);
        return value;
    }
};

TEST_F(RegistryBackupTest, ACopyIsMadeOnlyWhenTheContentChanged) {
    ASSERT_TRUE(Keep().ok);
    EXPECT_EQ(Kept(), 0u) << "an empty hive holds nothing to keep";
    Set(1);
    ASSERT_TRUE(Keep().ok);
    ASSERT_EQ(Kept(), 1u);
    Keep();
    platform::CloseRegistry(); // as the next start finds it
    Keep();
    Set(1); // written again as it was
    Keep();
    EXPECT_EQ(Kept(), 1u);
    Set(2);
    Keep();
    ASSERT_EQ(Kept(), 2u);

    auto backups = platform::RegistryBackups();
    EXPECT_EQ(backups[0].number, 1);
    EXPECT_EQ(backups[0].reason, "at a launcher start");
    EXPECT_FALSE(backups[0].time.empty());
    EXPECT_EQ(ValueIn(backups[0].file), 2u);
    EXPECT_EQ(ValueIn(backups[1].file), 1u);
    EXPECT_EQ(fs::status(backups[0].file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(Device() / "backups").permissions() & fs::perms::all,
              fs::perms::owner_all);
}

TEST_F(RegistryBackupTest, TheNewestTenAreKept) {
    for (DWORD i = 1; i <= 12; ++i) {
        Set(i);
        ASSERT_TRUE(Keep().ok);
    }
    auto backups = platform::RegistryBackups();
    ASSERT_EQ(backups.size(), 10u);
    EXPECT_EQ(ValueIn(backups.front().file), 12u);
    EXPECT_EQ(ValueIn(backups.back().file), 3u);
}

TEST_F(RegistryBackupTest, RestoreRefusesAndLeavesTheHive) {
    struct Case {
        const char* what;
        int number;
        bool force;
        std::function<void(RegistryBackupTest&)> setup;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"no backups", 1, true, [](auto&) {}, "there is no backup in"},
        {"no such number", 2, true, [](auto&) { Keep(); }, "there is no backup 2"},
        {"sound hive", 1, false, [](auto&) { Keep(); }, "is sound; nothing was restored"},
        {"damaged copy", 1, true,
         [](auto&) {
             Keep();
             WriteFile(platform::RegistryBackups()[0].file, std::string(5000, 'G'));
         },
         "is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::CloseRegistry();
        fs::remove_all(Device() / "backups");
        Set(7);
        c.setup(*this);
        Set(8);
        platform::RegistryReport report = platform::RestoreRegistry(c.number, c.force);
        EXPECT_FALSE(report.ok);
        EXPECT_NE(report.message.find(c.says), std::string::npos) << report.message;
        EXPECT_NE(report.message.find(Hive().string()), std::string::npos) << report.message;
        EXPECT_EQ(Get(), 8u);
    }
}

TEST_F(RegistryBackupTest, RestoreRefusesWhileAnotherProcessHasTheHiveOpen) {
    Set(1);
    Keep();
    Set(2);
    // A process that holds the hive open until it is killed.
    int fd = ::open(Hive().c_str(), O_RDONLY);
    pid_t holder = ::fork();
    if (holder == 0) {
        ::pause();
        _exit(0);
    }
    ::close(fd);
    platform::RegistryReport report = platform::RestoreRegistry(1, true);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_FALSE(report.ok);
    EXPECT_NE(report.message.find("(pid " + std::to_string(holder) + ")"), std::string::npos)
        << report.message;
    EXPECT_EQ(Get(), 2u);
    EXPECT_TRUE(platform::RestoreRegistry(1, true).ok) << "the holder has gone";
    EXPECT_EQ(Get(), 1u);
}

TEST_F(RegistryBackupTest, ForcedRestoreReachesOpenConnectionsAndCanBeUndone) {
    Set(1);
    Keep();
    Set(2);
    LONG error;
    std::string problem;
    auto open = platform::detail::Hive::Open(Device(), error, problem);
    ASSERT_TRUE(open) << problem;

    platform::RegistryReport report = platform::RestoreRegistry(1, true);
    ASSERT_TRUE(report.ok) << report.message;
    EXPECT_EQ(Get(), 1u);
    EXPECT_EQ(Kept(), 2u) << "the replaced hive is kept first";
    // A connection opened before the restore reads the restored hive and writes into it.
    std::int64_t key = 0;
    bool created = false;
    ASSERT_EQ(
        open->OpenPath(platform::detail::kRootKey,
                       std::vector<std::u16string>{u"Software", u"NorviSoft", u"NorviLuncher"},
                       false, key, created),
        ERROR_SUCCESS);
    DWORD value = 0;
    DWORD size = 4;
    ASSERT_EQ(open->QueryValue(key, u"V", nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    value = 3;
    ASSERT_EQ(open->SetValue(key, u"W", REG_DWORD, {reinterpret_cast<BYTE*>(&value), 4}),
              ERROR_SUCCESS);
    open.reset();
    platform::CloseRegistry();
    EXPECT_EQ(Key(kLauncher, false).Dword(u"W"), 3u);

    ASSERT_TRUE(platform::RestoreRegistry(1, true).ok);
    EXPECT_EQ(Get(), 2u) << "restoring backup 1 undid the restore";
}

TEST_F(RegistryBackupTest, LeftoversOfKilledWritersGoAtTheNextStart) {
    Set(1);
    Keep();
    pid_t dead = ::fork();
    if (dead == 0)
        _exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string gone = std::to_string(dead);
    const std::vector<fs::path> stale = {Device() / ("registry.db.bak.new-" + gone),
                                         Device() / ("registry.db.new-" + gone),
                                         Device() / ("registry.db.new-" + gone + "-wal"),
                                         Device() / ("registry.db.restoring-" + gone),
                                         Device() / "backups" / (".new-" + gone + "-1")};
    const std::vector<fs::path> live = {Device() / "registry.db.new-1",
                                        Device() / "backups" / ".new-1-1",
                                        Device() / ("registry.db.keep-" + gone)};
    for (const auto& file : stale)
        WriteFile(file, "x");
    for (const auto& file : live)
        WriteFile(file, "x");
    platform::CloseRegistry();
    ASSERT_EQ(platform::RegistryProblem(), "");
    for (const auto& file : stale)
        EXPECT_FALSE(fs::exists(file)) << file;
    for (const auto& file : live)
        EXPECT_TRUE(fs::exists(file)) << file;
    EXPECT_EQ(Kept(), 1u);
}

TEST_F(RegistryBackupTest, TheFormerSingleCopyJoinsTheHistory) {
    Set(1);
    platform::CloseRegistry();
    fs::copy_file(Hive(), Device() / "registry.db.bak");
    Set(2);
    auto backups = platform::RegistryBackups();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].reason, "the former registry.db.bak");
    EXPECT_FALSE(fs::exists(Device() / "registry.db.bak"));
    EXPECT_EQ(ValueIn(backups[0].file), 1u);
    Keep();
    EXPECT_EQ(Kept(), 2u);
}

// A full disk or a file-size limit is told as such, never as damage.
TEST_F(RegistryBackupTest, FailuresToWriteNameTheirReason) {
    Set(1);
    std::string big(300000, 'x');
    ASSERT_EQ(Key(kLauncher).SetString(u"Big", std::u16string(big.begin(), big.end())),
              ERROR_SUCCESS);
    auto limited = [](const std::function<std::string()>& work) {
        return InChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{200000, 200000};
            setrlimit(RLIMIT_FSIZE, &limit);
            return work();
        });
    };
    std::string said = limited([] { return Keep().message; });
    EXPECT_NE(said.find("File too large"), std::string::npos) << said;
    EXPECT_EQ(Kept(), 0u);
    EXPECT_TRUE(fs::is_empty(Device() / "backups")) << "the unfinished copy is removed";

    ASSERT_TRUE(Keep().ok);
    platform::CloseRegistry();
    WriteFile(Hive(), std::string(5000, 'G'));
    said = limited([] { return platform::RestoreRegistry().message; });
    EXPECT_NE(said.find("File too large"), std::string::npos) << said;
    EXPECT_EQ(said.find("damaged"), std::string::npos) << said;
    EXPECT_EQ(ReadFile(Hive()), std::string(5000, 'G'));
}

} // namespace
