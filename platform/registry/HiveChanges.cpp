// The session extension is in the system's SQLite; its header declares it only when asked.
#define SQLITE_ENABLE_SESSION 1
#define SQLITE_ENABLE_PREUPDATE_HOOK 1

#include "registry/HiveChanges.h"

#include "registry/HiveFile.h"

#include <sqlite3.h>

#include <memory>

namespace platform::detail {

sqlite3* HiveChanges::Copy(sqlite3* from, int& rc) {
    // An empty name is a private temporary file that goes with the connection.
    sqlite3* db = nullptr;
    rc = sqlite3_open_v2("", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_backup* copy = sqlite3_backup_init(db, "main", from, "main");
        rc = copy ? sqlite3_backup_step(copy, -1) : sqlite3_errcode(db);
        const int finish = sqlite3_backup_finish(copy);
        rc = rc == SQLITE_DONE ? finish : rc;
    }
    // Rows the copy adds take ids far above any that other programs add meanwhile, so that
    // putting them in place meets no row of theirs.
    if (rc == SQLITE_OK)
        rc = HiveFile::Execute(db, "INSERT INTO sqlite_sequence(name, seq) SELECT t.name, 0 FROM "
                                   "(SELECT 'keys' AS name UNION SELECT 'vals') t WHERE t.name "
                                   "NOT IN (SELECT name FROM sqlite_sequence); "
                                   "UPDATE sqlite_sequence SET seq = seq + 4294967296 "
                                   "WHERE name IN ('keys', 'vals')");
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

HiveChanges::HiveChanges(sqlite3* db, int& rc) {
    rc = sqlite3session_create(db, "main", &m_session);
    if (rc == SQLITE_OK)
        rc = sqlite3session_attach(m_session, nullptr);
}

HiveChanges::~HiveChanges() {
    sqlite3session_delete(m_session);
}

int HiveChanges::ApplyTo(sqlite3* to) {
    int bytes = 0;
    void* changes = nullptr;
    int rc = sqlite3session_changeset(m_session, &bytes, &changes);
    std::unique_ptr<void, decltype(&sqlite3_free)> owned(changes, &sqlite3_free);
    if (rc != SQLITE_OK || bytes == 0)
        return rc;
    // A row another program changed, or one it added where ours goes, stops the whole copy.
    // Rows that only stand in each other's way within the changes are retried by SQLite.
    auto refuse = +[](void*, int, sqlite3_changeset_iter*) { return SQLITE_CHANGESET_ABORT; };
    return sqlite3changeset_apply(to, bytes, changes, nullptr, refuse, nullptr);
}

} // namespace platform::detail
