#pragma once

#include "registry/Hive.h"

#include <sqlite3.h>

namespace platform::detail {

// Every write runs in its own immediate transaction, or in a savepoint inside the caller's.
class Hive::WriteScope {
public:
    explicit WriteScope(Hive& hive);
    ~WriteScope();
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;

    LONG Status() const { return m_status; }
    LONG Finish(bool commit);
    // Commits when status is success, else rolls back; returns status or the commit's error.
    // In a transaction, a write the hive could not store fails the whole transaction.
    LONG End(LONG status);

private:
    Hive& m_hive;
    const sqlite3_int64 m_changes;
    bool m_nested = false;
    bool m_done = false;
    LONG m_status = ERROR_SUCCESS;
};

} // namespace platform::detail
