#include "registry/Hive.h"

#include "core/Text.h"
#include "registry/HiveChanges.h"
#include "registry/HiveFile.h"
#include "registry/HiveStatements.h"
#include "registry/HiveWriteScope.h"
#include "registry/RegistryFiles.h"
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

int Execute(sqlite3* db, const char* sql) {
    return HiveFile::Execute(db, sql);
}

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

// A value row as our writes make it: a type that is a 32-bit number and data stored as a blob
// of at most kMaxValueBytes. Anything else (text data, whose character count is not its byte
// count, say) is damage.
bool ValueRowFits(const Statement& s, int typeColumn, int dataColumn) {
    if (s.Type(typeColumn) != SQLITE_INTEGER || s.Type(dataColumn) != SQLITE_BLOB ||
        s.Blob(dataColumn).size() > kMaxValueBytes)
        return false;
    const std::int64_t type = s.Int(typeColumn);
    return type >= 0 && type <= 0xFFFFFFFF;
}

// Hands a value's bytes out as the registry calls do: only the size when no buffer is given,
// and the size needed with ERROR_MORE_DATA when the buffer is too small.
LONG CopyData(std::span<const BYTE> bytes, LPBYTE data, LPDWORD size) {
    if (!size)
        return ERROR_SUCCESS;
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

} // namespace

fs::path Hive::FileIn(const fs::path& folder) {
    return folder / "registry.db";
}

int Hive::Check(const fs::path& file) {
    int rc;
    sqlite3* db = HiveFile::Connect(file, rc);
    if (!db)
        return rc;
    rc = HiveFile::CheckSound(db);
    sqlite3_close(db);
    return rc;
}

std::unique_ptr<Hive> Hive::Open(const fs::path& folder, LONG& error, std::string& problem) {
    fs::path file = FileIn(folder);
    std::error_code ec;
    if (!fs::exists(file, ec) && !HiveFile::Create(file)) {
        error = ERROR_ACCESS_DENIED;
        problem = "Tovalo: cannot create the registry file " + file.string();
        return nullptr;
    }
    int rc;
    sqlite3* db = HiveFile::Connect(file, rc);
    if (db)
        rc = HiveFile::CheckOnOpen(db, file);
    if (rc == SQLITE_OK) {
        // A sound hive of ours: journal mode and durability are ours to set.
        rc = Execute(db, "PRAGMA journal_mode=WAL");
        if (rc == SQLITE_OK)
            rc = Execute(db, "PRAGMA synchronous=FULL");
        if (rc == SQLITE_OK) {
            HiveFile::RememberSound(file);
            return std::unique_ptr<Hive>(new Hive(db, folder));
        }
    }
    sqlite3_close(db);
    if (HiveFile::IsDamagedFile(rc)) {
        error = ERROR_BADDB;
        problem = DamagedHiveMessage(folder);
    } else {
        error = ERROR_ACCESS_DENIED;
        problem =
            "Tovalo: cannot open the registry file " + file.string() + ": " + sqlite3_errstr(rc);
    }
    return nullptr;
}

Hive::Hive(sqlite3* db, fs::path folder)
    : m_db(db), m_folder(std::move(folder)), m_statements(std::make_unique<HiveStatements>(db)),
      m_enum(db) {}

Hive::~Hive() {
    m_changes.reset();
    m_statements.reset();
    sqlite3_close(m_db);
}

Statement Hive::Use(Sql sql) {
    return m_statements->Use(sql);
}

LONG Hive::Fail(int rc) {
    if (HiveFile::IsDamage(rc)) {
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
        // A row with the root's id would make the root its own descendant.
        if (child == kRootKey)
            return Damage();
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
                                result = CopyData(bytes, data, size);
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
    if (data.size() > kMaxValueBytes)
        return ERROR_NOT_ENOUGH_MEMORY;
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
    std::string stored;
    int rc = m_enum.SubkeyName(key, index, stored);
    if (rc == SQLITE_DONE)
        return ERROR_NO_MORE_ITEMS;
    if (rc != SQLITE_ROW)
        return Fail(rc);
    name = FromUtf8(stored);
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
    // A value deleted by another process since the list was read makes the list read again;
    // an id that a fresh list names but the table lacks is damage.
    for (int attempt = 0;; ++attempt) {
        std::int64_t id = 0;
        int rc = m_enum.ValueId(key, index, id);
        if (rc == SQLITE_DONE)
            return ERROR_NO_MORE_ITEMS;
        if (rc != SQLITE_ROW)
            return Fail(rc);
        Statement s = Use(Sql::ValueById);
        rc = s.Bind(1, id).Step();
        if (rc == SQLITE_DONE && attempt == 0) {
            m_enum.Forget();
            continue;
        }
        if (rc == SQLITE_DONE)
            return Damage();
        if (rc != SQLITE_ROW)
            return Fail(rc);
        return ValueFromRow(s, name, type, data, size);
    }
}

LONG Hive::ValueFromRow(const Statement& s, std::u16string& name, LPDWORD type, LPBYTE data,
                        LPDWORD size) {
    if (!ValueRowFits(s, 1, 2))
        return Damage();
    name = FromUtf8(s.Text(0));
    if (type)
        *type = static_cast<DWORD>(s.Int(1));
    return size ? CopyData(s.Blob(2), data, size) : ERROR_SUCCESS;
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
    int rc;
    sqlite3* db = HiveChanges::Copy(m_db, rc);
    std::unique_ptr<Hive> staged;
    if (db) {
        staged.reset(new Hive(db, m_folder));
        staged->m_changes = std::make_unique<HiveChanges>(db, rc);
    }
    error = rc == SQLITE_OK ? ERROR_SUCCESS : Fail(rc);
    if (rc != SQLITE_OK)
        staged.reset();
    return staged;
}

LONG Hive::ApplyStaged(Hive& staged) {
    if (!staged.m_changes)
        return ERROR_INVALID_HANDLE;
    if (staged.m_stagedStatus != ERROR_SUCCESS)
        return staged.m_stagedStatus;
    WriteScope scope(*this);
    if (scope.Status() != ERROR_SUCCESS)
        return scope.Status();
    const int rc = staged.m_changes->ApplyTo(m_db);
    m_cache.Clear();
    if (rc == SQLITE_ABORT)
        return scope.End(ERROR_TRANSACTIONAL_CONFLICT);
    return scope.End(rc == SQLITE_OK ? ERROR_SUCCESS : Fail(rc));
}

} // namespace platform::detail
