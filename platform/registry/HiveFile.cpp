#include "registry/HiveFile.h"

#include "files/SmallFile.h"
#include "registry/SqlStatement.h"

#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

constexpr int kBusyTimeoutMs = 5000;
constexpr std::int64_t kFormatVersion = 1;

constexpr const char* kSchema = R"sql(
CREATE TABLE tovalo_hive(version INTEGER NOT NULL);
INSERT INTO tovalo_hive VALUES(1);
CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,
                  name TEXT NOT NULL, folded TEXT NOT NULL);
CREATE UNIQUE INDEX keys_by_name ON keys(parent, folded);
CREATE TABLE vals(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,
                  name TEXT NOT NULL, folded TEXT NOT NULL, type INTEGER NOT NULL,
                  data BLOB NOT NULL);
CREATE UNIQUE INDEX vals_by_name ON vals(key, folded);
)sql";

void RemoveWithSidecars(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
    fs::remove(file.string() + "-wal", ec);
    fs::remove(file.string() + "-shm", ec);
}

} // namespace

bool HiveFile::IsDamage(int rc) {
    int primary = rc & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool HiveFile::IsDamagedFile(int rc) {
    const int primary = rc & 0xFF;
    return IsDamage(rc) || primary == SQLITE_FORMAT || primary == SQLITE_CANTOPEN;
}

int HiveFile::Execute(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

bool HiveFile::CreateOwnerFile(const fs::path& file) {
    return SmallFile::WriteNew(file, {});
}

sqlite3* HiveFile::Connect(const fs::path& file, int& rc, bool readOnly) {
    // Before SQLite's first use: the page cache takes pages as the store needs them, not a
    // first block of 20 laid out in advance, most of them unused by a store of a few pages.
    [[maybe_unused]] static const int pageCache =
        sqlite3_config(SQLITE_CONFIG_PAGECACHE, nullptr, 0, 0);
    sqlite3* db = nullptr;
    const int mode = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    rc = sqlite3_open_v2(file.c_str(), &db, mode | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    return db;
}

bool HiveFile::Create(const fs::path& file) {
    fs::path temp = file.string() + ".new-" + std::to_string(::getpid());
    RemoveWithSidecars(temp);
    if (!CreateOwnerFile(temp))
        return false;
    int rc;
    sqlite3* db = Connect(temp, rc);
    bool ok = db && Execute(db, "PRAGMA journal_mode=WAL") == SQLITE_OK &&
              Execute(db, "BEGIN") == SQLITE_OK && Execute(db, kSchema) == SQLITE_OK &&
              Execute(db, "COMMIT") == SQLITE_OK;
    sqlite3_close(db);
    if (ok && ::link(temp.c_str(), file.c_str()) != 0 && errno != EEXIST)
        ok = false;
    RemoveWithSidecars(temp);
    return ok;
}

int HiveFile::CheckSound(sqlite3* db) {
    Statement check(db, "PRAGMA quick_check");
    int rc = check.Step();
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? SQLITE_CORRUPT : rc;
    if (check.Text(0) != "ok")
        return SQLITE_CORRUPT;
    return CheckSchema(db);
}

int HiveFile::CheckSchema(sqlite3* db) {
    std::set<std::string> names;
    {
        Statement schema(db, "SELECT name FROM sqlite_master WHERE name NOT LIKE 'sqlite_%'");
        int rc;
        while ((rc = schema.Step()) == SQLITE_ROW)
            names.insert(schema.Text(0));
        if (rc != SQLITE_DONE)
            return rc;
    }
    const std::set<std::string> expected{"tovalo_hive", "keys", "keys_by_name", "vals",
                                         "vals_by_name"};
    if (names != expected)
        return SQLITE_NOTADB;
    Statement version(db, "SELECT version FROM tovalo_hive");
    if (version.Step() != SQLITE_ROW || version.Int(0) != kFormatVersion)
        return SQLITE_NOTADB;
    Statement keys(db, "SELECT id, parent, name, folded FROM keys LIMIT 0");
    Statement vals(db, "SELECT id, key, name, folded, type, data FROM vals LIMIT 0");
    if (!keys.Ok() || !vals.Ok())
        return SQLITE_NOTADB;
    return SQLITE_OK;
}

fs::path HiveFile::MarkFor(const fs::path& file) {
    return file.string() + ".sound";
}

std::string HiveFile::Fingerprint(const fs::path& file) {
    struct stat hive {};
    if (::stat(file.c_str(), &hive) != 0 || !S_ISREG(hive.st_mode))
        return {};
    // Frames in a journal are content the file's times do not show.
    struct stat journal {};
    if (::stat((file.string() + "-wal").c_str(), &journal) == 0 && journal.st_size > 0)
        return {};
    // The change time cannot be set back by hand, as the modification time can.
    return std::to_string(hive.st_dev) + " " + std::to_string(hive.st_ino) + " " +
           std::to_string(hive.st_size) + " " + std::to_string(hive.st_mtim.tv_sec) + "." +
           std::to_string(hive.st_mtim.tv_nsec) + " " + std::to_string(hive.st_ctim.tv_sec) + "." +
           std::to_string(hive.st_ctim.tv_nsec);
}

std::string HiveFile::KnownSound(const fs::path& file) {
    return SmallFile::Read(MarkFor(file), 4096).value_or(std::string());
}

int HiveFile::CheckOnOpen(sqlite3* db, const fs::path& file) {
    const std::string now = Fingerprint(file);
    return !now.empty() && now == KnownSound(file) ? CheckSchema(db) : CheckSound(db);
}

void HiveFile::RememberSound(const fs::path& file) {
    const std::string now = Fingerprint(file);
    // Only a cache: a lost or torn mark costs one full check, so it is not synced. A mark
    // that already says so is left alone, so a start that changes nothing writes no file.
    if (now.empty() || now == KnownSound(file))
        return;
    const fs::path mark = MarkFor(file);
    const fs::path temp = mark.string() + "-" + std::to_string(::getpid());
    std::error_code ec;
    fs::remove(temp, ec);
    if (!SmallFile::WriteNew(temp, now))
        return;
    if (::rename(temp.c_str(), mark.c_str()) != 0)
        fs::remove(temp, ec);
}

} // namespace platform::detail
