#include "registry/Hive.h"

#include "core/Text.h"
#include "registry/SqlStatement.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
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

std::string Folded(std::u16string_view name) {
    return ToUtf8(FoldCase(name));
}

bool IsDamage(int rc) {
    int primary = rc & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// A file of our own making: created owner-only, then filled by SQLite.
bool CreateEmptyOwnerFile(const fs::path& file) {
    int fd = ::open(file.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void RemoveWithSidecars(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
    fs::remove(file.string() + "-wal", ec);
    fs::remove(file.string() + "-shm", ec);
}

sqlite3* OpenConnection(const fs::path& file, int& rc) {
    sqlite3* db = nullptr;
    rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    return db;
}

// Checks a connection's file without writing to it: SQLite's own check, then our schema.
int CheckSound(sqlite3* db) {
    {
        Statement check(db, "PRAGMA quick_check");
        int rc = check.Step();
        if (rc != SQLITE_ROW)
            return rc == SQLITE_DONE ? SQLITE_CORRUPT : rc;
        if (check.Text(0) != "ok")
            return SQLITE_CORRUPT;
    }
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

// A value row as our writes make it: a type that is a 32-bit number and data stored as a blob.
// Anything else (text data, whose character count is not its byte count, say) is damage.
bool ValueRowFits(const Statement& s, int typeColumn, int dataColumn) {
    if (s.Type(typeColumn) != SQLITE_INTEGER || s.Type(dataColumn) != SQLITE_BLOB)
        return false;
    const std::int64_t type = s.Int(typeColumn);
    return type >= 0 && type <= 0xFFFFFFFF;
}

int Execute(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// Builds a new hive beside the final name and links it into place, so that another
// process never sees a half-made file; the loser of a race keeps the winner's file.
bool CreateHive(const fs::path& file) {
    fs::path temp = file.string() + ".new-" + std::to_string(::getpid());
    RemoveWithSidecars(temp);
    if (!CreateEmptyOwnerFile(temp))
        return false;
    int rc;
    sqlite3* db = OpenConnection(temp, rc);
    bool ok = db && Execute(db, "PRAGMA journal_mode=WAL") == SQLITE_OK &&
              Execute(db, "BEGIN") == SQLITE_OK && Execute(db, kSchema) == SQLITE_OK &&
              Execute(db, "COMMIT") == SQLITE_OK;
    sqlite3_close(db);
    if (ok && ::link(temp.c_str(), file.c_str()) != 0 && errno != EEXIST)
        ok = false;
    RemoveWithSidecars(temp);
    return ok;
}

} // namespace

// Every write runs in its own immediate transaction, or in a savepoint inside the caller's.
class Hive::WriteScope {
public:
    explicit WriteScope(Hive& hive) : m_hive(hive) {
        m_nested = !sqlite3_get_autocommit(hive.m_db);
        m_status = hive.Exec(m_nested ? "SAVEPOINT reg_write" : "BEGIN IMMEDIATE");
    }
    ~WriteScope() {
        if (m_status == ERROR_SUCCESS && !m_done)
            Finish(false);
    }
    LONG Status() const { return m_status; }
    LONG Finish(bool commit) {
        m_done = true;
        if (m_nested) {
            if (!commit)
                Execute(m_hive.m_db, "ROLLBACK TO reg_write");
            return m_hive.Exec("RELEASE reg_write");
        }
        if (commit)
            return m_hive.Exec("COMMIT");
        Execute(m_hive.m_db, "ROLLBACK");
        return ERROR_SUCCESS;
    }
    // Commits when status is success, else rolls back; returns status or the commit's error.
    LONG End(LONG status) {
        LONG end = Finish(status == ERROR_SUCCESS);
        return status == ERROR_SUCCESS ? end : status;
    }

private:
    Hive& m_hive;
    bool m_nested = false;
    bool m_done = false;
    LONG m_status = ERROR_SUCCESS;
};

fs::path Hive::FileIn(const fs::path& folder) {
    return folder / "registry.db";
}

fs::path Hive::BackupIn(const fs::path& folder) {
    return folder / "registry.db.bak";
}

std::string Hive::DamageMessage(const fs::path& folder) {
    return "Tovalo: the registry file " + FileIn(folder).string() +
           " is damaged; it was left as it was. Restore the last good copy " +
           BackupIn(folder).string() + " with: tovalo-reg restore";
}

bool Hive::IsSound(const fs::path& file) {
    int rc;
    sqlite3* db = OpenConnection(file, rc);
    if (!db)
        return false;
    rc = CheckSound(db);
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

std::unique_ptr<Hive> Hive::Open(const fs::path& folder, LONG& error, std::string& problem) {
    fs::path file = FileIn(folder);
    std::error_code ec;
    if (!fs::exists(file, ec) && !CreateHive(file)) {
        error = ERROR_ACCESS_DENIED;
        problem = "Tovalo: cannot create the registry file " + file.string();
        return nullptr;
    }
    int rc;
    sqlite3* db = OpenConnection(file, rc);
    if (db)
        rc = CheckSound(db);
    if (rc == SQLITE_OK) {
        // A sound hive of ours: journal mode and durability are ours to set.
        rc = Execute(db, "PRAGMA journal_mode=WAL");
        if (rc == SQLITE_OK)
            rc = Execute(db, "PRAGMA synchronous=FULL");
        if (rc == SQLITE_OK)
            return std::unique_ptr<Hive>(new Hive(db, folder));
    }
    sqlite3_close(db);
    if (IsDamage(rc) || (rc & 0xFF) == SQLITE_CANTOPEN || (rc & 0xFF) == SQLITE_FORMAT) {
        error = ERROR_BADDB;
        problem = DamageMessage(folder);
    } else {
        error = ERROR_ACCESS_DENIED;
        problem =
            "Tovalo: cannot open the registry file " + file.string() + ": " + sqlite3_errstr(rc);
    }
    return nullptr;
}

Hive::Hive(sqlite3* db, fs::path folder) : m_db(db), m_folder(std::move(folder)) {}

Hive::~Hive() {
    sqlite3_close(m_db);
}

bool Hive::RefreshBackup() {
    fs::path backup = BackupIn(m_folder);
    std::error_code ec;
    // A backup made after the hive's last write is that hive already: copying it again would
    // only cost syncs at every start. Equal times may hide a later write, so they copy.
    const fs::path hive = FileIn(m_folder);
    auto newest = fs::last_write_time(hive, ec);
    const auto wal = fs::last_write_time(hive.string() + "-wal", ec);
    if (!ec && wal > newest)
        newest = wal;
    const auto made = fs::last_write_time(backup, ec);
    if (!ec && made > newest)
        return true;
    fs::path temp = backup.string() + ".new-" + std::to_string(::getpid());
    fs::remove(temp, ec);
    if (!CreateEmptyOwnerFile(temp))
        return false;
    Statement vacuum(m_db, "VACUUM INTO ?1");
    vacuum.Bind(1, temp.string());
    bool ok = vacuum.Step() == SQLITE_DONE;
    if (ok) {
        int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
        ok = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0)
            ::close(fd);
    }
    if (ok)
        ok = ::rename(temp.c_str(), backup.c_str()) == 0;
    if (!ok)
        fs::remove(temp, ec);
    return ok;
}

LONG Hive::Fail(int rc) {
    if (IsDamage(rc)) {
        m_damaged = true;
        return ERROR_BADDB;
    }
    switch (rc & 0xFF) {
    case SQLITE_NOMEM:
    case SQLITE_TOOBIG:
    case SQLITE_FULL:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

LONG Hive::Damage() {
    m_damaged = true;
    return ERROR_BADDB;
}

LONG Hive::Exec(const char* sql) {
    int rc = Execute(m_db, sql);
    return rc == SQLITE_OK ? ERROR_SUCCESS : Fail(rc);
}

LONG Hive::KeyExists(std::int64_t key) {
    if (key == kRootKey)
        return ERROR_SUCCESS;
    Statement s(m_db, "SELECT 1 FROM keys WHERE id = ?1");
    int rc = s.Bind(1, key).Step();
    if (rc == SQLITE_ROW)
        return ERROR_SUCCESS;
    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : Fail(rc);
}

LONG Hive::OpenPath(std::int64_t base, std::span<const std::u16string> parts, bool create,
                    std::int64_t& result, bool& created) {
    created = false;
    std::optional<WriteScope> scope;
    if (create) {
        scope.emplace(*this);
        if (scope->Status() != ERROR_SUCCESS)
            return scope->Status();
    }
    auto finish = [&](LONG status) { return scope ? scope->End(status) : status; };
    LONG status = KeyExists(base);
    if (status != ERROR_SUCCESS)
        return finish(status);
    std::int64_t current = base;
    for (const auto& part : parts) {
        Statement find(m_db, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
        int rc = find.Bind(1, current).Bind(2, Folded(part)).Step();
        if (rc == SQLITE_ROW) {
            current = find.Int(0);
            // A row with the root's id would make the root its own descendant.
            if (current == kRootKey)
                return finish(Damage());
            continue;
        }
        if (rc != SQLITE_DONE)
            return finish(Fail(rc));
        if (!create)
            return finish(ERROR_FILE_NOT_FOUND);
        Statement insert(m_db, "INSERT INTO keys(parent, name, folded) VALUES(?1, ?2, ?3)");
        rc = insert.Bind(1, current).Bind(2, ToUtf8(part)).Bind(3, Folded(part)).Step();
        if (rc != SQLITE_DONE)
            return finish(Fail(rc));
        current = sqlite3_last_insert_rowid(m_db);
        created = true;
    }
    status = finish(ERROR_SUCCESS);
    if (status == ERROR_SUCCESS)
        result = current;
    else
        created = false;
    return status;
}

LONG Hive::QueryValue(std::int64_t key, std::u16string_view name, LPDWORD type, LPBYTE data,
                      LPDWORD size) {
    LONG status = KeyExists(key);
    if (status != ERROR_SUCCESS)
        return status;
    Statement s(m_db, "SELECT type, data FROM vals WHERE key = ?1 AND folded = ?2");
    int rc = s.Bind(1, key).Bind(2, Folded(name)).Step();
    if (rc == SQLITE_DONE)
        return ERROR_FILE_NOT_FOUND;
    if (rc != SQLITE_ROW)
        return Fail(rc);
    if (!ValueRowFits(s, 0, 1))
        return Damage();
    const auto bytes = s.Blob(1);
    if (bytes.size() > 0xFFFFFFFFu)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (type)
        *type = static_cast<DWORD>(s.Int(0));
    if (!data) {
        if (size)
            *size = static_cast<DWORD>(bytes.size());
        return ERROR_SUCCESS;
    }
    if (bytes.size() > *size) {
        *size = static_cast<DWORD>(bytes.size());
        return ERROR_MORE_DATA;
    }
    if (!bytes.empty())
        std::memcpy(data, bytes.data(), bytes.size());
    *size = static_cast<DWORD>(bytes.size());
    return ERROR_SUCCESS;
}

template <class Write> LONG Hive::WriteInKey(std::int64_t key, Write write) {
    WriteScope scope(*this);
    if (scope.Status() != ERROR_SUCCESS)
        return scope.Status();
    LONG status = KeyExists(key);
    return scope.End(status == ERROR_SUCCESS ? write() : status);
}

LONG Hive::SetValue(std::int64_t key, std::u16string_view name, DWORD type,
                    std::span<const BYTE> data) {
    return WriteInKey(key, [&] {
        // Writing a value as it already is changes no page, so it costs no sync.
        Statement s(m_db,
                    "INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                    "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, "
                    "data = excluded.data "
                    "WHERE type IS NOT excluded.type OR data IS NOT excluded.data");
        int rc = s.Bind(1, key)
                     .Bind(2, ToUtf8(name))
                     .Bind(3, Folded(name))
                     .Bind(4, static_cast<std::int64_t>(type))
                     .BindBlob(5, data)
                     .Step();
        return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(rc);
    });
}

LONG Hive::DeleteValue(std::int64_t key, std::u16string_view name) {
    return WriteInKey(key, [&] {
        Statement s(m_db, "DELETE FROM vals WHERE key = ?1 AND folded = ?2");
        int rc = s.Bind(1, key).Bind(2, Folded(name)).Step();
        if (rc != SQLITE_DONE)
            return Fail(rc);
        return sqlite3_changes(m_db) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG Hive::DeleteTree(std::int64_t key) {
    if (key == kRootKey)
        return ERROR_ACCESS_DENIED;
    return WriteInKey(key, [&] {
        // UNION (not UNION ALL) so that a damaged parent chain cannot loop.
        constexpr const char* kTree =
            "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION SELECT k.id FROM keys k JOIN tree t "
            "ON k.parent = t.id) ";
        for (const char* tail :
             {"DELETE FROM vals WHERE key IN tree", "DELETE FROM keys WHERE id IN tree"}) {
            std::string sql = std::string(kTree) + tail;
            Statement s(m_db, sql.c_str());
            int rc = s.Bind(1, key).Step();
            if (rc != SQLITE_DONE)
                return Fail(rc);
        }
        return ERROR_SUCCESS;
    });
}

LONG Hive::EnumKey(std::int64_t key, DWORD index, std::u16string& name) {
    LONG status = KeyExists(key);
    if (status != ERROR_SUCCESS)
        return status;
    Statement s(m_db, "SELECT name FROM keys WHERE parent = ?1 ORDER BY folded LIMIT 1 OFFSET ?2");
    int rc = s.Bind(1, key).Bind(2, static_cast<std::int64_t>(index)).Step();
    if (rc == SQLITE_DONE)
        return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW)
        return Fail(rc);
    name = FromUtf8(s.Text(0));
    // A name that is empty or holds "\" or a NUL names another key as a path (the parent
    // itself, for one), and so a walk of the tree would not end: no write of ours makes one.
    if (name.empty() || name.find_first_of(std::u16string_view(u"\\\0", 2)) != std::u16string::npos)
        return Damage();
    return ERROR_SUCCESS;
}

LONG Hive::EnumValue(std::int64_t key, DWORD index, std::u16string& name, LPDWORD type, LPBYTE data,
                     LPDWORD size) {
    LONG status = KeyExists(key);
    if (status != ERROR_SUCCESS)
        return status;
    Statement s(m_db,
                "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2");
    int rc = s.Bind(1, key).Bind(2, static_cast<std::int64_t>(index)).Step();
    if (rc == SQLITE_DONE)
        return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW)
        return Fail(rc);
    if (!ValueRowFits(s, 1, 2))
        return Damage();
    name = FromUtf8(s.Text(0));
    if (type)
        *type = static_cast<DWORD>(s.Int(1));
    if (!size)
        return ERROR_SUCCESS;
    const auto bytes = s.Blob(2);
    if (bytes.size() > 0xFFFFFFFFu)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (data && bytes.size() > *size) {
        *size = static_cast<DWORD>(bytes.size());
        return ERROR_MORE_DATA;
    }
    if (data && !bytes.empty())
        std::memcpy(data, bytes.data(), bytes.size());
    *size = static_cast<DWORD>(bytes.size());
    return ERROR_SUCCESS;
}

LONG Hive::Begin() {
    return Exec("BEGIN IMMEDIATE");
}

LONG Hive::Commit() {
    return Exec("COMMIT");
}

void Hive::Rollback() {
    if (!sqlite3_get_autocommit(m_db))
        Execute(m_db, "ROLLBACK");
}

bool Hive::InTransaction() const {
    return !sqlite3_get_autocommit(m_db);
}

} // namespace platform::detail
