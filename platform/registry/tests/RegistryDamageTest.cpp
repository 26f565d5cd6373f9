#include "RegistryHelpers.h"

#include <platform/Registry.h>
#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;
using regtest::Key;
using testsupport::ReadFile;

namespace {

const fs::path kData = TOVALO_PLATFORM_TEST_DATA;

class RegistryDamageTest : public testsupport::DeviceFolderTest {
protected:
    fs::path Hive() const { return Device() / "registry.db"; }
    fs::path Backups() const { return Device() / "backups"; }

    void ExpectEveryCallRefused() {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\NorviSoft", &key), ERROR_BADDB);
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", &key), ERROR_BADDB);
        DWORD value = 1;
        DWORD size = 4;
        EXPECT_EQ(
            RegSetValueExW(HKEY_CURRENT_USER, u"V", REG_DWORD, reinterpret_cast<BYTE*>(&value), 4),
            ERROR_BADDB);
        EXPECT_EQ(RegQueryValueExW(HKEY_CURRENT_USER, u"V", nullptr,
                                   reinterpret_cast<BYTE*>(&value), &size),
                  ERROR_BADDB);
        EXPECT_EQ(RegDeleteValueW(HKEY_CURRENT_USER, u"V"), ERROR_BADDB);
        EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software"), ERROR_BADDB);
        WCHAR name[16];
        DWORD cch = 16;
        EXPECT_EQ(RegEnumKeyExW(HKEY_CURRENT_USER, 0, name, &cch), ERROR_BADDB);
        platform::RegistryTransaction transaction;
        EXPECT_EQ(transaction.Status(), ERROR_BADDB);
    }
    // The message names the file and either the newest backup and the command that restores
    // it, or the folder that holds no backup.
    void ExpectProblemNamesFiles() {
        std::string problem = platform::RegistryProblem();
        EXPECT_NE(problem.find(Hive().string() + " is damaged"), std::string::npos) << problem;
        auto backups = platform::RegistryBackups();
        if (backups.empty()) {
            EXPECT_NE(problem.find("no backup of it in " + Backups().string()), std::string::npos)
                << problem;
            return;
        }
        EXPECT_NE(problem.find(backups[0].file.string()), std::string::npos) << problem;
        EXPECT_NE(problem.find("tovalo-reg restore"), std::string::npos) << problem;
    }
};

TEST_F(RegistryDamageTest, DamagedFilesAreRefusedAndLeftByteForByte) {
    for (auto sample : {"not-a-database.db", "empty.db", "foreign-schema.db", "corrupt-page.db",
                        "truncated.db", "wrong-version.db"}) {
        SCOPED_TRACE(sample);
        platform::CloseRegistry();
        std::error_code ec;
        for (auto& entry : fs::directory_iterator(Device()))
            fs::remove_all(entry.path(), ec);
        fs::copy_file(kData / "malformed" / sample, Hive());
        const std::string before = ReadFile(Hive());

        ExpectEveryCallRefused();
        ExpectProblemNamesFiles();
        platform::CloseRegistry();
        ExpectEveryCallRefused(); // and again as a new program would see it

        EXPECT_EQ(ReadFile(Hive()), before);
        EXPECT_EQ(fs::file_size(Hive()), before.size());
        EXPECT_TRUE(platform::RegistryBackups().empty())
            << "a damaged file must not become a kept copy";
    }
}

TEST_F(RegistryDamageTest, SoundHiveHasNoProblem) {
    EXPECT_EQ(platform::RegistryProblem(), "");
    EXPECT_TRUE(fs::exists(Hive()));
}

TEST_F(RegistryDamageTest, TheNewestBackupIsRestoredInPlaceOfADamagedHive) {
    {
        Key key(u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups0");
        ASSERT_EQ(key.SetString(u"GroupName", u"etc."), ERROR_SUCCESS);
    }
    ASSERT_TRUE(platform::BackUpRegistry(platform::BackupReason::Start).ok);
    {
        // Later writes reach the hive, not the copy.
        Key key(u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups1");
        ASSERT_EQ(key.SetString(u"GroupName", u"Games"), ERROR_SUCCESS);
    }
    const fs::path kept = platform::RegistryBackups().at(0).file;
    const std::string copy = ReadFile(kept);

    // The hive is then damaged behind the program's back.
    platform::CloseRegistry();
    const std::string garbage(5000, 'G');
    testsupport::WriteFile(Hive(), garbage);
    ExpectEveryCallRefused();
    ExpectProblemNamesFiles();
    EXPECT_EQ(ReadFile(kept), copy);

    platform::RegistryReport restored = platform::RestoreRegistry();
    ASSERT_TRUE(restored.ok) << restored.message;
    EXPECT_NE(restored.message.find("backup 1"), std::string::npos) << restored.message;
    EXPECT_EQ(platform::RegistryProblem(), "");
    EXPECT_EQ(
        Key(u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups0", false).String(u"GroupName"),
        u"etc.");
    EXPECT_EQ(Key(u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups1", false).Status(),
              ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(fs::status(Hive()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // Damaged again within the same second: the second file set aside keeps a name of its own.
    platform::CloseRegistry();
    const std::string other(6000, 'H');
    testsupport::WriteFile(Hive(), other);
    ASSERT_TRUE(platform::RestoreRegistry().ok);
    std::vector<std::string> aside;
    for (auto& entry : fs::directory_iterator(Device()))
        if (entry.path().filename().string().starts_with("registry.db.damaged-"))
            aside.push_back(ReadFile(entry.path()));
    std::sort(aside.begin(), aside.end());
    EXPECT_EQ(aside, (std::vector<std::string>{garbage, other}));
}

TEST_F(RegistryDamageTest, HostileContentDoesNotCrash) {
    fs::copy_file(kData / "hostile-content.db", Hive());
    ASSERT_EQ(platform::RegistryProblem(), "");
    Key software(u"Software", false);
    ASSERT_EQ(software.Status(), ERROR_SUCCESS);

    // A stored name longer than the device allows enumerates, given the room.
    WCHAR small[256];
    DWORD cch = 256;
    EXPECT_EQ(RegEnumKeyExW(software.Get(), 1, small, &cch), ERROR_MORE_DATA);
    EXPECT_EQ(cch, 1000u);
    std::u16string room(1001, u'\0');
    cch = 1001;
    EXPECT_EQ(RegEnumKeyExW(software.Get(), 1, room.data(), &cch), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(room.data(), cch), std::u16string(1000, u'x'));
    EXPECT_EQ(regtest::SubkeyNames(software.Get()), std::vector<std::u16string>{u"Normal"});

    DWORD value = 7;
    DWORD size = 4;
    EXPECT_EQ(
        RegQueryValueExW(software.Get(), u"Big", nullptr, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_MORE_DATA);
    EXPECT_EQ(size, 300000u);
    EXPECT_EQ(value, 7u);
    std::vector<BYTE> data;
    DWORD type = 0;
    ASSERT_EQ(software.Read(u"Odd", data, &type), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(-5));
    EXPECT_EQ(std::string(data.begin(), data.end()), "text not blob");
    cch = 256;
    EXPECT_EQ(RegEnumValueW(software.Get(), 1, small, &cch, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    EXPECT_EQ(cch, 604u);
    cch = 256;
    ASSERT_EQ(RegEnumValueW(software.Get(), 2, small, &cch, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(small, cch), u"Odd");
    EXPECT_EQ(size, 13u);

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software"), ERROR_SUCCESS);
    EXPECT_EQ(regtest::SubkeyNames(HKEY_CURRENT_USER), std::vector<std::u16string>{});
}

} // namespace

// A value row that no write of ours makes: text data whose character count differs from its
// byte count, or a type that is no 32-bit number. Reading it must refuse the whole hive as
// damaged, write nothing into the caller's buffer and leave the file as it was.
class RegistryBadRowTest : public RegistryDamageTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(RegistryBadRowTest, RowIsDamageNotData) {
    fs::copy_file(kData / "malformed" / GetParam(), Hive());
    const std::string before = ReadFile(Hive());
    HKEY software = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", &software), ERROR_SUCCESS);

    std::vector<BYTE> buffer(8192, 0xAB);
    DWORD size = 4096; // room for every sample's bytes, and a guard zone behind it
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(software, u"Bad", &type, buffer.data(), &size), ERROR_BADDB);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](BYTE b) { return b == 0xAB; }));
    ExpectEveryCallRefused();
    ExpectProblemNamesFiles();

    platform::CloseRegistry();
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", &software), ERROR_SUCCESS);
    WCHAR name[64];
    DWORD cch = 64;
    size = 4096;
    EXPECT_EQ(RegEnumValueW(software, 0, name, &cch, &type, buffer.data(), &size), ERROR_BADDB);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](BYTE b) { return b == 0xAB; }));
    platform::CloseRegistry();
    EXPECT_TRUE(ReadFile(Hive()) == before) << "the damaged file was written";
}

INSTANTIATE_TEST_SUITE_P(Samples, RegistryBadRowTest,
                         ::testing::Values("value-text-multibyte.db", "value-text-invalid-utf8.db",
                                           "value-text-nul.db", "value-type-text.db",
                                           "value-type-out-of-range.db", "value-type-negative.db"));

// A key row that no write of ours makes: a name that is empty or holds "\" or a NUL names, as
// a path, the key's parent or another key, and a row with the root's own id makes the root its
// own descendant, so that a walk of the tree (an export) would never end or would show another
// key's values. Enumerating or opening it refuses the hive as damaged.
class RegistryBadKeyNameTest : public RegistryDamageTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(RegistryBadKeyNameTest, RowIsDamageNotAKey) {
    fs::copy_file(kData / "malformed" / GetParam(), Hive());
    const std::string before = ReadFile(Hive());
    Key software(u"Software", false);
    ASSERT_EQ(software.Status(), ERROR_SUCCESS);
    LONG status = ERROR_SUCCESS;
    for (DWORD index = 0; status == ERROR_SUCCESS && index < 4; ++index) {
        WCHAR name[64];
        DWORD cch = 64;
        status = RegEnumKeyExW(software.Get(), index, name, &cch);
        HKEY child = nullptr;
        if (status == ERROR_SUCCESS &&
            (status = RegOpenKeyExW(software.Get(), name, &child)) == ERROR_SUCCESS)
            RegCloseKey(child);
    }
    EXPECT_EQ(status, ERROR_BADDB);
    ExpectEveryCallRefused();
    ExpectProblemNamesFiles();
    platform::CloseRegistry();
    EXPECT_TRUE(ReadFile(Hive()) == before) << "the damaged file was written";
}

INSTANTIATE_TEST_SUITE_P(Samples, RegistryBadKeyNameTest,
                         ::testing::Values("key-name-empty.db", "key-name-backslash.db",
                                           "key-name-nul.db", "key-id-of-the-root.db"));
