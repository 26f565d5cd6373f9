#include "BareScan.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace platform::bench {

BareScan::BareScan(const std::filesystem::path& file, int values) {
    std::filesystem::remove(file);
    sqlite3_open(file.c_str(), &m_db);
    sqlite3_exec(m_db,
                 "PRAGMA journal_mode=WAL; CREATE TABLE v(id INTEGER PRIMARY KEY, k INTEGER, "
                 "name TEXT, data BLOB); CREATE INDEX v_by_key ON v(k, name); BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(m_db, "INSERT INTO v(k, name, data) VALUES(1, ?1, ?2)", -1, &insert,
                       nullptr);
    for (int i = 0; i < values; ++i) {
        const std::string name = "Value" + std::to_string(i);
        sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_blob(insert, 2, &i, sizeof i, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
}

BareScan::~BareScan() {
    sqlite3_close(m_db);
}

std::string BareScan::Scan() const {
    std::string text;
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(m_db, "SELECT name, data FROM v WHERE k = 1 ORDER BY id", -1, &select,
                       nullptr);
    while (sqlite3_step(select) == SQLITE_ROW) {
        int value = 0;
        if (sqlite3_column_bytes(select, 1) == sizeof value)
            std::memcpy(&value, sqlite3_column_blob(select, 1), sizeof value);
        char line[32];
        std::snprintf(line, sizeof line, "\"=dword:%08x\n", static_cast<unsigned>(value));
        text += '"';
        text += reinterpret_cast<const char*>(sqlite3_column_text(select, 0));
        text += line;
    }
    sqlite3_finalize(select);
    return text;
}

} // namespace platform::bench
