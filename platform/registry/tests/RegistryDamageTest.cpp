#include "RegistryHelpers.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

using namespace regtest;

const fs::path kData = TOVALO_PLATFORM_TEST_DATA;

class RegistryDamageTest : public RegistryTest {
protected:
    static void ExpectEveryCallRefused() {
        HKEY key = nullptr;
        DWORD value = 1;
        DWORD size = 4;
        WCHAR name[16];
        DWORD cch = 16;
        auto* data = reinterpret_cast<BYTE*>(&value);
        const std::vector<LONG> statuses = {
            RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\NorviSoft", &key),
            RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", &key),
            RegSetValueExW(HKEY_CURRENT_USER, u"V", REG_DWORD, data, 4),
            RegQueryValueExW(HKEY_CURRENT_USER, u"V", nullptr, data, &size),
            RegDeleteValueW(HKEY_CURRENT_USER, u"V"),
            RegDeleteKeyW(HKEY_CURRENT_USER, u"Software"),
            RegEnumKeyExW(HKEY_CURRENT_USER, 0, name, &cch),
            platform::RegistryTransaction().Status()};
        EXPECT_EQ(statuses, std::vector<LONG>(statuses.size(), ERROR_BADDB));
    }
    // The message names the file and either the newest backup and the command that restores
    // it, or the folder that holds no backup.
    void ExpectProblemNamesFiles() {
        const std::string problem = platform::RegistryProblem();
        EXPECT_NE(problem.find(Hive().string() + " is damaged"), std::string::npos) << problem;
        const auto backups = platform::RegistryBackups();
        for (const std::string& part :
             backups.empty()
                 ? std::vector<std::string>{"no backup of it in " + Backups().string()}
                 : std::vector<std::string>{backups[0].file.string(), "tovalo-reg restore"})
            EXPECT_NE(problem.find(part), std::string::npos) << problem;
    }
};

// Reads the whole tree into a buffer with a guard zone behind the room it offers: values by
// the name the damaged samples use, or by enumeration. The first failure, or success.
LONG ReadTree(HKEY key, bool byName, std::vector<BYTE>& buffer, int depth = 0) {
    DWORD size = 4096;
    DWORD type = 0;
    WCHAR name[64];
    DWORD cch = 64;
    LONG status = byName ? RegQueryValueExW(key, u"Bad", &type, buffer.data(), &size)
                         : RegEnumValueW(key, 0, name, &cch, &type, buffer.data(), &size);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && status != ERROR_NO_MORE_ITEMS)
        return status;
    for (DWORD i = 0; depth < 4; ++i) {
        cch = 64;
        HKEY child = nullptr;
        if ((status = RegEnumKeyExW(key, i, name, &cch)) == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (status == ERROR_SUCCESS && (status = RegOpenKeyExW(key, name, &child)) == ERROR_SUCCESS)
            status = ReadTree(child, byName, buffer, depth + 1);
        RegCloseKey(child);
        if (status != ERROR_SUCCESS)
            return status;
    }
    return ERROR_SUCCESS;
}

// Every sample in data/malformed: a file that is no hive of ours, or a key or value row that
// no write of ours makes (a text whose character count differs from its byte count, a type
// that is no 32-bit number, a key name that is empty or holds "\" or a NUL, a row with the
// root's own id that makes the root its own descendant). Reading it refuses the whole hive as
// damaged, writes nothing into the caller's buffer, and leaves the file byte for byte.
TEST_F(RegistryDamageTest, MalformedFilesAreRefusedAndLeftByteForByte) {
    EXPECT_EQ(platform::RegistryProblem(), "") << "a new hive is sound";
    int samples = 0;
    for (const auto& entry : fs::directory_iterator(kData / "malformed")) {
        if (entry.path().extension() != ".db")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++samples;
        platform::CloseRegistry();
        for (const auto& file : fs::directory_iterator(Device()))
            fs::remove_all(file.path());
        fs::copy_file(entry.path(), Hive());
        const std::string before = ReadFile(Hive());
        for (bool byName : {true, false}) {
            platform::CloseRegistry();
            std::vector<BYTE> buffer(8192, 0xAB);
            EXPECT_EQ(ReadTree(HKEY_CURRENT_USER, byName, buffer), ERROR_BADDB);
            EXPECT_TRUE(AllAre(buffer, 0xAB));
            ExpectEveryCallRefused();
            ExpectProblemNamesFiles();
        }
        platform::CloseRegistry();
        EXPECT_TRUE(ReadFile(Hive()) == before) << "the damaged file was written";
        EXPECT_TRUE(platform::RegistryBackups().empty())
            << "a damaged file must not become a kept copy";
    }
    EXPECT_GE(samples, 16);
}

TEST_F(RegistryDamageTest, APageDamagedBehindTheHivesBackIsFoundWithItsTimeSetBack) {
    for (DWORD i = 0; i < 40; ++i)
        ASSERT_EQ(
            Key(Numbered(u"Software\\Many\\K", i)).SetString(u"Name", std::u16string(200, 'n')),
            ERROR_SUCCESS);
    platform::CloseRegistry();
    ASSERT_EQ(platform::RegistryProblem(), ""); // found sound, and remembered so
    platform::CloseRegistry();
    // Found again as remembered: the mark is not written again.
    const fs::path mark = Hive().string() + ".sound";
    struct stat marked {};
    ASSERT_EQ(::stat(mark.c_str(), &marked), 0);
    ASSERT_EQ(platform::RegistryProblem(), "");
    platform::CloseRegistry();
    struct stat again {};
    ASSERT_EQ(::stat(mark.c_str(), &again), 0);
    EXPECT_EQ(again.st_ino, marked.st_ino);
    struct stat before {};
    ASSERT_EQ(::stat(Hive().c_str(), &before), 0);
    std::string bytes = ReadFile(Hive());
    ASSERT_GT(bytes.size(), 3 * 4096u);
    // The last page, which no look at the schema reads, is overwritten in place; size and
    // modification time are kept.
    std::fill(bytes.end() - 4096, bytes.end(), '\xA5');
    WriteFile(Hive(), bytes);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, Hive().c_str(), times, 0), 0);
    EXPECT_NE(platform::RegistryProblem(), "");
    EXPECT_EQ(ReadFile(Hive()), bytes);
}

TEST_F(RegistryDamageTest, TheNewestBackupIsRestoredInPlaceOfADamagedHive) {
    const std::u16string groups = u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups";
    ASSERT_EQ(Key(groups + u"0").SetString(u"GroupName", u"etc."), ERROR_SUCCESS);
    ASSERT_TRUE(platform::BackUpRegistry(platform::BackupReason::Start).ok);
    // Later writes reach the hive, not the copy.
    ASSERT_EQ(Key(groups + u"1").SetString(u"GroupName", u"Games"), ERROR_SUCCESS);
    const fs::path kept = platform::RegistryBackups().at(0).file;
    const std::string copy = ReadFile(kept);

    // The hive is then damaged behind the program's back.
    platform::CloseRegistry();
    const std::string garbage(5000, 'G');
    WriteFile(Hive(), garbage);
    ExpectEveryCallRefused();
    ExpectProblemNamesFiles();
    EXPECT_EQ(ReadFile(kept), copy);

    const platform::RegistryReport restored = platform::RestoreRegistry();
    ASSERT_TRUE(restored.ok) << restored.message;
    EXPECT_NE(restored.message.find("backup 1"), std::string::npos) << restored.message;
    EXPECT_NE(restored.message.find("registry.db.damaged-"), std::string::npos) << restored.message;
    EXPECT_EQ(platform::RegistryProblem(), "");
    EXPECT_EQ(Key(groups + u"0", false).String(u"GroupName"), u"etc.");
    EXPECT_EQ(Opens(groups + u"1"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(fs::status(Hive()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // Damaged again within the same second: the second file set aside keeps a name of its own.
    platform::CloseRegistry();
    const std::string other(6000, 'H');
    WriteFile(Hive(), other);
    ASSERT_TRUE(platform::RestoreRegistry().ok);
    std::vector<std::string> aside;
    for (auto& entry : fs::directory_iterator(Device()))
        if (entry.path().filename().string().starts_with("registry.db.damaged-"))
            aside.push_back(ReadFile(entry.path()));
    std::sort(aside.begin(), aside.end());
    EXPECT_EQ(aside, (std::vector<std::string>{garbage, other}));
}

// A value larger than the hive keeps: writing one is refused and keeps what was there, and a
// row of one put in by hand is damage, so reading or exporting never takes gigabytes.
TEST_F(RegistryDamageTest, ValuesLargerThanTheHiveKeepsAreRefusedAndARowOfOneIsDamage) {
    using platform::detail::kMaxValueBytes;
    const std::vector<BYTE> data(kMaxValueBytes + 1, 0x5A);
    {
        Key key(u"Software\\Big");
        const auto size = static_cast<DWORD>(kMaxValueBytes);
        ASSERT_EQ(RegSetValueExW(key.Get(), u"V", REG_BINARY, data.data(), size), ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key.Get(), u"V", REG_BINARY, data.data(), size + 1),
                  ERROR_NOT_ENOUGH_MEMORY);
        std::vector<BYTE> read;
        ASSERT_EQ(key.Read(u"V", read), ERROR_SUCCESS);
        EXPECT_TRUE(read.size() == kMaxValueBytes && AllAre(read, 0x5A));
    }
    platform::CloseRegistry();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(Hive().c_str(), &db), SQLITE_OK);
    const std::string grow =
        "UPDATE vals SET data = zeroblob(" + std::to_string(kMaxValueBytes + 1) + ")";
    EXPECT_EQ(sqlite3_exec(db, grow.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    const std::string before = ReadFile(Hive());
    std::vector<BYTE> read;
    EXPECT_EQ(Key(u"Software\\Big", false).Read(u"V", read), ERROR_BADDB);
    ExpectEveryCallRefused();
    platform::CloseRegistry();
    EXPECT_TRUE(ReadFile(Hive()) == before);
}

// Rows no write of ours makes but that are no damage: a name longer than the device allows,
// a value larger than any of ours, a type below zero with its data stored as text.
TEST_F(RegistryDamageTest, HostileContentIsReadWithinTheCallersBuffers) {
    fs::copy_file(kData / "hostile-content.db", Hive());
    ASSERT_EQ(platform::RegistryProblem(), "");
    Key software(u"Software", false);
    ASSERT_EQ(software.Status(), ERROR_SUCCESS);
    WCHAR small[256];
    DWORD cch = 256;
    EXPECT_EQ(RegEnumKeyExW(software.Get(), 1, small, &cch), ERROR_MORE_DATA);
    EXPECT_EQ(cch, 1000u);
    std::u16string room(1001, u'\0');
    cch = 1001;
    EXPECT_EQ(RegEnumKeyExW(software.Get(), 1, room.data(), &cch), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(room.data(), cch), std::u16string(1000, u'x'));

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
    EXPECT_EQ(Names(HKEY_CURRENT_USER), std::vector<std::u16string>{});
}

} // namespace
