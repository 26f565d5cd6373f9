#include "BareSqlite.h"

#include <sqlite3.h>

namespace platform::bench {

BareSqlite::BareSqlite(const std::filesystem::path& file) {
    std::filesystem::remove(file);
    sqlite3_open(file.c_str(), &m_db);
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=FULL");
    Exec("CREATE TABLE v(k INTEGER, name TEXT, data BLOB, PRIMARY KEY(k, name))");
    sqlite3_prepare_v2(m_db, "INSERT OR REPLACE INTO v VALUES(?1, ?2, ?3)", -1, &m_insert, nullptr);
    sqlite3_prepare_v2(m_db, "SELECT data FROM v WHERE k = ?1 AND name = ?2", -1, &m_select,
                       nullptr);
}

BareSqlite::~BareSqlite() {
    sqlite3_finalize(m_insert);
    sqlite3_finalize(m_select);
    sqlite3_close(m_db);
}

void BareSqlite::Exec(const char* sql) {
    sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
}

void BareSqlite::Write(int key, const char* name) {
    int value = key;
    sqlite3_bind_int(m_insert, 1, key);
    sqlite3_bind_text(m_insert, 2, name, -1, SQLITE_STATIC);
    sqlite3_bind_blob(m_insert, 3, &value, sizeof(value), SQLITE_STATIC);
    sqlite3_step(m_insert);
    sqlite3_reset(m_insert);
}

void BareSqlite::Read(int key, const char* name) {
    sqlite3_bind_int(m_select, 1, key);
    sqlite3_bind_text(m_select, 2, name, -1, SQLITE_STATIC);
    sqlite3_step(m_select);
    sqlite3_reset(m_select);
}

} // namespace platform::bench
