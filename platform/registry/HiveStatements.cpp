#include "registry/HiveStatements.h"

#include "registry/SqlStatement.h"

#include <sqlite3.h>

namespace platform::detail {

HiveStatements::~HiveStatements() {
    for (sqlite3_stmt* statement : m_statements)
        sqlite3_finalize(statement);
}

Statement HiveStatements::Use(Sql sql) {
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
        "SELECT name, type, data FROM vals WHERE id = ?1",
        "PRAGMA data_version",
    };
    const auto index = static_cast<std::size_t>(sql);
    sqlite3_stmt*& slot = m_statements[index];
    int rc = SQLITE_OK;
    if (!slot)
        rc = sqlite3_prepare_v3(m_db, kText[index], -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr);
    return Statement(slot, rc);
}

} // namespace platform::detail
