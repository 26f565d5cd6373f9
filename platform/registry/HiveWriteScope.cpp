#include "registry/HiveWriteScope.h"

#include "registry/HiveFile.h"

namespace platform::detail {

Hive::WriteScope::WriteScope(Hive& hive)
    : m_hive(hive), m_changes(sqlite3_total_changes64(hive.m_db)) {
    if (hive.m_batch) {
        m_status = hive.HoldWriteLock();
        m_nested = true;
        if (m_status == ERROR_SUCCESS)
            m_status = hive.Exec("SAVEPOINT reg_write");
    } else {
        m_status = hive.Exec("BEGIN IMMEDIATE");
    }
}

Hive::WriteScope::~WriteScope() {
    if (m_status == ERROR_SUCCESS && !m_done)
        Finish(false);
}

LONG Hive::WriteScope::Finish(bool commit) {
    m_done = true;
    if (!commit && sqlite3_total_changes64(m_hive.m_db) != m_changes) {
        // What the cache learnt inside is undone with it; a staged copy's record of
        // changes would no longer match it.
        m_hive.m_cache.Clear();
        if (m_hive.m_changes)
            m_hive.m_stagedStatus = ERROR_ACCESS_DENIED;
    }
    if (m_nested) {
        if (!commit)
            HiveFile::Execute(m_hive.m_db, "ROLLBACK TO reg_write");
        return m_hive.Exec("RELEASE reg_write");
    }
    if (commit)
        return m_hive.Exec("COMMIT");
    HiveFile::Execute(m_hive.m_db, "ROLLBACK");
    return ERROR_SUCCESS;
}

LONG Hive::WriteScope::End(LONG status) {
    LONG end = Finish(status == ERROR_SUCCESS);
    if (status == ERROR_SUCCESS)
        status = end;
    if (m_hive.m_batch && m_hive.m_batchStatus == ERROR_SUCCESS &&
        (status == ERROR_ACCESS_DENIED || status == ERROR_NOT_ENOUGH_MEMORY ||
         status == ERROR_BADDB))
        m_hive.m_batchStatus = status;
    return status;
}

} // namespace platform::detail
