// The session extension records a staged copy's changes; the system's SQLite is built with it,
// and its header declares it only when asked.
#define SQLITE_ENABLE_SESSION 1
#define SQLITE_ENABLE_PREUPDATE_HOOK 1

#include "registry/Hive.h"

#include "core/Text.h"
#include "registry/SqlStatement.h"

#include <sqlite3.h>

#include <algorithm>
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
    // Plain ASCII, as every name the launcher uses is, folds without the Unicode tables.
    std::string folded(name.size(), '\0');
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c >= 0x80)
            return ToUtf8(FoldCase(name));
        folded[i] = static_cast<char>(c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c);
    }
    return folded;
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
    explicit WriteScope(Hive& hive) : m_hive(hive), m_changes(sqlite3_total_changes64(hive.m_db)) {
        if (hive.m_batch) {
            m_status = hive.HoldWriteLock();
            m_nested = true;
            if (m_status == ERROR_SUCCESS)
                m_status = hive.Exec("SAVEPOINT reg_write");
        } else {
            m_status = hive.Exec("BEGIN IMMEDIATE");
        }
    }
    ~WriteScope() {
        if (m_status == ERROR_SUCCESS && !m_done)
            Finish(false);
    }
    LONG Status() const { return m_status; }
    LONG Finish(bool commit) {
        m_done = true;
        if (!commit && sqlite3_total_changes64(m_hive.m_db) != m_changes) {
            // What the cache learnt inside is undone with it; a staged copy's record of
            // changes would no longer match it.
            m_hive.m_cache.Clear();
            if (m_hive.m_session)
                m_hive.m_stagedStatus = ERROR_ACCESS_DENIED;
        }
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
    // In a transaction, a write the hive could not store fails the whole transaction.
    LONG End(LONG status) {
        LONG end = Finish(status == ERROR_SUCCESS);
        if (status == ERROR_SUCCESS)
            status = end;
        if (m_hive.m_batch && m_hive.m_batchStatus == ERROR_SUCCESS &&
            (status == ERROR_ACCESS_DENIED || status == ERROR_NOT_ENOUGH_MEMORY ||
             status == ERROR_BADDB))
            m_hive.m_batchStatus = status;
        return status;
    }

private:
    Hive& m_hive;
    const sqlite3_int64 m_changes;
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
    m_session.reset();
    for (sqlite3_stmt* statement : m_statements)
        sqlite3_finalize(statement);
    sqlite3_close(m_db);
}

void Hive::SessionDeleter::operator()(sqlite3_session* session) const {
    sqlite3session_delete(session);
}

Statement Hive::Use(Sql sql) {
    static constexpr std::array<const char*, static_cast<std::size_t>(Sql::Count)> kText{
        "SELECT 1 FROM keys WHERE id = ?1",
        "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2",
        "INSERT INTO keys(parent, name, folded) VALUES(?1, ?2, ?3)",
        // No row: the key is gone; a row without an id: the key has no such value.
        "SELECT v.id, v.type, v.data FROM (SELECT 1) LEFT JOIN vals v "
        "ON v.key = ?1 AND v.folded = ?2 WHERE ?1 = 0 OR EXISTS(SELECT 1 FROM keys WHERE id = ?1)",
        "INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
        "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data",
        "DELETE FROM vals WHERE key = ?1 AND folded = ?2",
        // UNION (not UNION ALL) so that a damaged parent chain cannot loop.
        "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION SELECT k.id FROM keys k JOIN tree t "
        "ON k.parent = t.id) DELETE FROM vals WHERE key IN tree",
        "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION SELECT k.id FROM keys k JOIN tree t "
        "ON k.parent = t.id) DELETE FROM keys WHERE id IN tree",
        "SELECT name FROM keys WHERE parent = ?1 ORDER BY folded LIMIT 1 OFFSET ?2",
        "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
        "PRAGMA data_version",
    };
    const auto index = static_cast<std::size_t>(sql);
    sqlite3_stmt*& slot = m_statements[index];
    int rc = SQLITE_OK;
    if (!slot)
        rc = sqlite3_prepare_v3(m_db, kText[index], -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr);
    return Statement(slot, rc);
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

std::int64_t Hive::DataVersion() {
    Statement s = Use(Sql::DataVersion);
    return s.Step() == SQLITE_ROW ? s.Int(0) : -1;
}

LONG Hive::KeyExists(std::int64_t key) {
    if (key == kRootKey || (Cached() && m_cache.KnownKey(key)))
        return ERROR_SUCCESS;
    Statement s = Use(Sql::KeyExists);
    int rc = s.Bind(1, key).Step();
    if (rc == SQLITE_ROW) {
        if (Cached())
            m_cache.AddKey(key);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : Fail(rc);
}

LONG Hive::FindChild(std::int64_t parent, const std::string& folded, std::int64_t& child,
                     bool& found) {
    if (Cached()) {
        if (auto known = m_cache.Child(parent, folded)) {
            child = *known;
            found = true;
            return ERROR_SUCCESS;
        }
    }
    Statement find = Use(Sql::FindChild);
    int rc = find.Bind(1, parent).Bind(2, folded).Step();
    found = rc == SQLITE_ROW;
    if (found) {
        child = find.Int(0);
        if (Cached())
            m_cache.AddChild(parent, folded, child);
        return ERROR_SUCCESS;
    }
    return rc == SQLITE_DONE ? ERROR_SUCCESS : Fail(rc);
}

LONG Hive::OpenPath(std::int64_t base, std::span<const std::u16string> parts, bool create,
                    std::int64_t& result, bool& created) {
    created = false;
    std::vector<std::string> folded;
    folded.reserve(parts.size());
    for (const auto& part : parts)
        folded.push_back(Folded(part));
    // A key that exists is found by reading alone.
    LONG status = KeyExists(base);
    if (status != ERROR_SUCCESS)
        return status;
    std::int64_t current = base;
    std::size_t found = 0;
    for (; found < parts.size(); ++found) {
        bool exists = false;
        status = FindChild(current, folded[found], current, exists);
        if (status != ERROR_SUCCESS)
            return status;
        if (!exists)
            break;
    }
    if (found == parts.size()) {
        result = current;
        return ERROR_SUCCESS;
    }
    if (!create)
        return ERROR_FILE_NOT_FOUND;

    // Under the write lock the path is walked again: another program may have changed it.
    WriteScope scope(*this);
    if (scope.Status() != ERROR_SUCCESS)
        return scope.Status();
    status = KeyExists(base);
    if (status != ERROR_SUCCESS)
        return scope.End(status);
    current = base;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        bool exists = false;
        status = FindChild(current, folded[i], current, exists);
        if (status != ERROR_SUCCESS)
            return scope.End(status);
        if (exists)
            continue;
        Statement insert = Use(Sql::InsertKey);
        const std::string name = ToUtf8(parts[i]);
        int rc = insert.Bind(1, current).Bind(2, name).Bind(3, folded[i]).Step();
        if (rc != SQLITE_DONE)
            return scope.End(Fail(rc));
        const std::int64_t parent = current;
        current = sqlite3_last_insert_rowid(m_db);
        if (Cached())
            m_cache.AddChild(parent, folded[i], current);
        created = true;
    }
    status = scope.End(ERROR_SUCCESS);
    if (status == ERROR_SUCCESS)
        result = current;
    else
        created = false;
    return status;
}

template <class Reader>
LONG Hive::WithValue(std::int64_t key, const std::string& folded, Reader use) {
    if (Cached()) {
        if (const HiveCache::Value* known = m_cache.FindValue(key, folded)) {
            use(known->present, known->type, std::span<const BYTE>(known->data));
            return ERROR_SUCCESS;
        }
    }
    Statement s = Use(Sql::Value);
    int rc = s.Bind(1, key).Bind(2, folded).Step();
    if (rc == SQLITE_DONE)
        return ERROR_KEY_DELETED;
    if (rc != SQLITE_ROW)
        return Fail(rc);
    if (s.Type(0) == SQLITE_NULL) {
        if (Cached())
            m_cache.PutAbsent(key, folded);
        use(false, DWORD{0}, std::span<const BYTE>());
        return ERROR_SUCCESS;
    }
    if (!ValueRowFits(s, 1, 2))
        return Damage();
    const auto type = static_cast<DWORD>(s.Int(1));
    const auto bytes = s.Blob(2);
    if (bytes.size() > 0xFFFFFFFFu)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (Cached())
        m_cache.PutValue(key, folded, type, bytes);
    use(true, type, bytes);
    return ERROR_SUCCESS;
}

LONG Hive::QueryValue(std::int64_t key, std::u16string_view name, LPDWORD type, LPBYTE data,
                      LPDWORD size) {
    LONG result = ERROR_SUCCESS;
    LONG status = WithValue(key, Folded(name),
                            [&](bool present, DWORD storedType, std::span<const BYTE> bytes) {
                                if (!present) {
                                    result = ERROR_FILE_NOT_FOUND;
                                    return;
                                }
                                if (type)
                                    *type = storedType;
                                if (!data) {
                                    if (size)
                                        *size = static_cast<DWORD>(bytes.size());
                                    return;
                                }
                                if (bytes.size() > *size) {
                                    *size = static_cast<DWORD>(bytes.size());
                                    result = ERROR_MORE_DATA;
                                    return;
                                }
                                if (!bytes.empty())
                                    std::memcpy(data, bytes.data(), bytes.size());
                                *size = static_cast<DWORD>(bytes.size());
                            });
    return status == ERROR_SUCCESS ? result : status;
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
    const std::string folded = Folded(name);
    // A value written as it already is costs nothing: no lock, no page, no sync.
    bool same = false;
    LONG status = WithValue(key, folded, [&](bool present, DWORD storedType, auto bytes) {
        same = present && storedType == type && std::ranges::equal(bytes, data);
    });
    if (status != ERROR_SUCCESS || same)
        return status;
    return WriteInKey(key, [&] {
        Statement s = Use(Sql::SetValue);
        const std::string display = ToUtf8(name);
        int rc = s.Bind(1, key)
                     .Bind(2, display)
                     .Bind(3, folded)
                     .Bind(4, static_cast<std::int64_t>(type))
                     .BindBlob(5, data)
                     .Step();
        if (rc != SQLITE_DONE)
            return Fail(rc);
        if (Cached())
            m_cache.PutValue(key, folded, type, data);
        return ERROR_SUCCESS;
    });
}

LONG Hive::DeleteValue(std::int64_t key, std::u16string_view name) {
    const std::string folded = Folded(name);
    bool present = false;
    LONG status = WithValue(key, folded, [&](bool stored, DWORD, auto) { present = stored; });
    if (status != ERROR_SUCCESS)
        return status;
    if (!present)
        return ERROR_FILE_NOT_FOUND;
    return WriteInKey(key, [&] {
        Statement s = Use(Sql::DeleteValue);
        int rc = s.Bind(1, key).Bind(2, folded).Step();
        if (rc != SQLITE_DONE)
            return Fail(rc);
        if (Cached())
            m_cache.PutAbsent(key, folded);
        return sqlite3_changes(m_db) > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG Hive::DeleteTree(std::int64_t key) {
    if (key == kRootKey)
        return ERROR_ACCESS_DENIED;
    return WriteInKey(key, [&] {
        m_cache.Clear();
        for (Sql sql : {Sql::DeleteTreeValues, Sql::DeleteTreeKeys}) {
            Statement s = Use(sql);
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
    Statement s = Use(Sql::EnumKey);
    int rc = s.Bind(1, key).Bind(2, static_cast<std::int64_t>(index)).Step();
    if (rc == SQLITE_DONE)
        return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW)
        return Fail(rc);
    name = FromUtf8(s.Text(0));
    return ERROR_SUCCESS;
}

LONG Hive::EnumValue(std::int64_t key, DWORD index, std::u16string& name, LPDWORD type, LPBYTE data,
                     LPDWORD size) {
    LONG status = KeyExists(key);
    if (status != ERROR_SUCCESS)
        return status;
    Statement s = Use(Sql::EnumValue);
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
    if (m_batch)
        return ERROR_ACCESS_DENIED;
    LONG status = Exec("BEGIN DEFERRED");
    m_batch = status == ERROR_SUCCESS;
    return status;
}

LONG Hive::HoldWriteLock() {
    if (m_batchWrites || m_batchStatus != ERROR_SUCCESS)
        return m_batchStatus;
    // SQLite would refuse at once to turn a snapshot into a writer while another program
    // writes; so the snapshot is let go, the lock waited for, and what was learnt kept only
    // when nobody wrote in between.
    const bool reading = sqlite3_txn_state(m_db, "main") == SQLITE_TXN_READ;
    const std::int64_t seen = reading ? DataVersion() : -1;
    Execute(m_db, "COMMIT");
    LONG status = Exec("BEGIN IMMEDIATE");
    if (status != ERROR_SUCCESS) {
        // The transaction goes on for reads; its writes all fail, and so does its Commit.
        m_batchStatus = status;
        Execute(m_db, "BEGIN DEFERRED");
        return status;
    }
    if (!reading || DataVersion() != seen)
        m_cache.Clear();
    m_batchWrites = true;
    return ERROR_SUCCESS;
}

void Hive::EndTransaction() {
    m_batch = false;
    m_batchWrites = false;
    m_batchStatus = ERROR_SUCCESS;
    m_cache.Clear();
}

LONG Hive::Commit() {
    if (!m_batch)
        return ERROR_INVALID_HANDLE;
    LONG status = m_batchStatus;
    if (status == ERROR_SUCCESS)
        status = Exec("COMMIT");
    if (!sqlite3_get_autocommit(m_db))
        Execute(m_db, "ROLLBACK");
    EndTransaction();
    return status;
}

void Hive::Rollback() {
    if (!sqlite3_get_autocommit(m_db))
        Execute(m_db, "ROLLBACK");
    EndTransaction();
}

std::unique_ptr<Hive> Hive::Stage(LONG& error) {
    // An empty name is a private temporary file that goes with the connection.
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2("", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_backup* copy = sqlite3_backup_init(db, "main", m_db, "main");
        rc = copy ? sqlite3_backup_step(copy, -1) : sqlite3_errcode(db);
        int finish = sqlite3_backup_finish(copy);
        rc = rc == SQLITE_DONE ? finish : rc;
    }
    // Rows the copy adds take ids far above any that other programs add meanwhile, so that
    // putting them in place meets no row of theirs.
    if (rc == SQLITE_OK)
        rc = Execute(db, "INSERT INTO sqlite_sequence(name, seq) SELECT t.name, 0 FROM "
                         "(SELECT 'keys' AS name UNION SELECT 'vals') t WHERE t.name NOT IN "
                         "(SELECT name FROM sqlite_sequence); "
                         "UPDATE sqlite_sequence SET seq = seq + 4294967296 "
                         "WHERE name IN ('keys', 'vals')");
    sqlite3_session* session = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3session_create(db, "main", &session);
    if (rc == SQLITE_OK)
        rc = sqlite3session_attach(session, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3session_delete(session);
        sqlite3_close(db);
        error = Fail(rc);
        return nullptr;
    }
    auto staged = std::unique_ptr<Hive>(new Hive(db, m_folder));
    staged->m_session.reset(session);
    error = ERROR_SUCCESS;
    return staged;
}

LONG Hive::ApplyStaged(Hive& staged) {
    if (!staged.m_session)
        return ERROR_INVALID_HANDLE;
    if (staged.m_stagedStatus != ERROR_SUCCESS)
        return staged.m_stagedStatus;
    int bytes = 0;
    void* changes = nullptr;
    int rc = sqlite3session_changeset(staged.m_session.get(), &bytes, &changes);
    std::unique_ptr<void, decltype(&sqlite3_free)> owned(changes, &sqlite3_free);
    if (rc != SQLITE_OK)
        return Fail(rc);
    if (bytes == 0)
        return ERROR_SUCCESS;
    WriteScope scope(*this);
    if (scope.Status() != ERROR_SUCCESS)
        return scope.Status();
    // A row another program changed, or one it added where ours goes, stops the whole copy.
    auto refuse = +[](void*, int, sqlite3_changeset_iter*) { return SQLITE_CHANGESET_ABORT; };
    rc = sqlite3changeset_apply(m_db, bytes, changes, nullptr, refuse, nullptr);
    if (rc == SQLITE_ABORT)
        return scope.End(ERROR_TRANSACTIONAL_CONFLICT);
    m_cache.Clear();
    return scope.End(rc == SQLITE_OK ? ERROR_SUCCESS : Fail(rc));
}

} // namespace platform::detail
