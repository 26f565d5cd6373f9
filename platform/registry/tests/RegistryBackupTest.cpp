#include "RegistryHelpers.h"

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>

namespace {

using namespace regtest;

class RegistryBackupTest : public RegistryTest {
protected:
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
        const DWORD value = Get();
        platform::CloseRegistry();
        fs::remove_all(look);
        setenv("TOVALO_DEVICE", Device().c_str(), 1);
        return value;
    }
};

TEST_F(RegistryBackupTest, ACopyIsMadeOnlyWhenTheContentChangedAndTheNewestTenAreKept) {
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
    auto backups = platform::RegistryBackups();
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups[0].number, 1);
    EXPECT_EQ(backups[0].reason, "at a launcher start");
    EXPECT_FALSE(backups[0].time.empty());
    EXPECT_EQ(ValueIn(backups[0].file), 2u);
    EXPECT_EQ(ValueIn(backups[1].file), 1u);
    EXPECT_EQ(fs::status(backups[0].file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(Backups()).permissions() & fs::perms::all, fs::perms::owner_all);

    for (DWORD i = 3; i <= 12; ++i) {
        Set(i);
        ASSERT_TRUE(Keep().ok);
    }
    backups = platform::RegistryBackups();
    ASSERT_EQ(backups.size(), 10u);
    EXPECT_EQ(ValueIn(backups.front().file), 12u);
    EXPECT_EQ(ValueIn(backups.back().file), 3u);
}

TEST_F(RegistryBackupTest, RestoreRefusesAndLeavesTheHive) {
    struct Case {
        const char* what;
        int number;
        bool force;
        std::function<void()> setup;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"no backups", 1, true, [] {}, "there is no backup in"},
        {"no such number", 2, true, [] { Keep(); }, "there is no backup 2"},
        {"sound hive", 1, false, [] { Keep(); }, "is sound; nothing was restored"},
        {"damaged copy", 1, true,
         [] {
             Keep();
             WriteFile(platform::RegistryBackups()[0].file, std::string(5000, 'G'));
         },
         "is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::CloseRegistry();
        fs::remove_all(Backups());
        Set(7);
        c.setup();
        Set(8);
        const platform::RegistryReport report = platform::RestoreRegistry(c.number, c.force);
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
    {
        const std::string hive = Hive();
        // It opens the hive and holds it until it is let go.
        OtherProgram holder({[hive] { return Said(::open(hive.c_str(), O_RDONLY) >= 0); },
                             [] { return std::string(); }});
        ASSERT_EQ(holder.Next(), "1");
        const platform::RegistryReport report = platform::RestoreRegistry(1, true);
        EXPECT_FALSE(report.ok);
        EXPECT_NE(report.message.find("(pid " + std::to_string(holder.Pid()) + ")"),
                  std::string::npos)
            << report.message;
        EXPECT_EQ(Get(), 2u);
    }
    EXPECT_TRUE(platform::RestoreRegistry(1, true).ok) << "the holder has gone";
    EXPECT_EQ(Get(), 1u);
}

TEST_F(RegistryBackupTest, ForcedRestoreKeepsTheReplacedHiveAndReachesOpenConnections) {
    Set(1);
    Keep();
    Set(2);
    auto open = OpenConnection(Device());
    ASSERT_TRUE(open);
    const platform::RegistryReport report = platform::RestoreRegistry(1, true);
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
}

// The next start removes what killed writers left, and the former single copy joins the
// history.
TEST_F(RegistryBackupTest, TheNextStartTidiesTheFolder) {
    Set(1);
    platform::CloseRegistry();
    fs::copy_file(Hive(), Device() / "registry.db.bak");
    pid_t dead;
    {
        OtherProgram gone({});
        dead = gone.Pid();
    }
    const std::string pid = std::to_string(dead);
    const std::vector<fs::path> stale = {
        Device() / ("registry.db.bak.new-" + pid), Device() / ("registry.db.new-" + pid),
        Device() / ("registry.db.new-" + pid + "-wal"), Device() / ("registry.db.restoring-" + pid),
        Backups() / (".new-" + pid + "-1")};
    const std::vector<fs::path> live = {Device() / "registry.db.new-1", Backups() / ".new-1-1",
                                        Device() / ("registry.db.keep-" + pid)};
    for (const auto& file : stale)
        WriteFile(file, "x");
    for (const auto& file : live)
        WriteFile(file, "x");
    Set(2);
    ASSERT_EQ(platform::RegistryProblem(), "");
    for (const auto& file : stale)
        EXPECT_FALSE(fs::exists(file)) << file;
    for (const auto& file : live)
        EXPECT_TRUE(fs::exists(file)) << file;
    const auto backups = platform::RegistryBackups();
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
    const std::string big(300000, 'x');
    ASSERT_EQ(Key(kLauncher).SetString(u"Big", std::u16string(big.begin(), big.end())),
              ERROR_SUCCESS);
    // Runs `work` in another program that may write no file larger than 200000 bytes.
    auto limited = [](std::function<std::string()> work) {
        return OtherProgram({[work] {
                   std::signal(SIGXFSZ, SIG_IGN);
                   const rlimit limit{200000, 200000};
                   setrlimit(RLIMIT_FSIZE, &limit);
                   return work();
               }})
            .Next();
    };
    std::string said = limited([] { return Keep().message; });
    EXPECT_NE(said.find("File too large"), std::string::npos) << said;
    EXPECT_EQ(Kept(), 0u);
    EXPECT_TRUE(fs::is_empty(Backups())) << "the unfinished copy is removed";

    ASSERT_TRUE(Keep().ok);
    platform::CloseRegistry();
    WriteFile(Hive(), std::string(5000, 'G'));
    said = limited([] { return platform::RestoreRegistry().message; });
    EXPECT_NE(said.find("File too large"), std::string::npos) << said;
    EXPECT_EQ(said.find("damaged"), std::string::npos) << said;
    EXPECT_EQ(ReadFile(Hive()), std::string(5000, 'G'));
}

} // namespace
