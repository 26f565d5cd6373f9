#include "registry/EnumCache.h"

#include "registry/SqlStatement.h"

namespace platform::detail {

int EnumCache::Refresh(List& list, std::int64_t key, const char* sql, bool names) {
    // data_version moves when another connection commits; total changes when this one writes.
    Statement version(m_db, "PRAGMA data_version");
    int rc = version.Step();
    if (rc != SQLITE_ROW)
        return rc;
    const std::int64_t changes = sqlite3_total_changes64(m_db);
    if (list.key == key && list.changes == changes && list.version == version.Int(0))
        return SQLITE_OK;
    list = List{};
    Statement s(m_db, sql);
    s.Bind(1, key);
    while ((rc = s.Step()) == SQLITE_ROW) {
        if (names)
            list.names.push_back(s.Text(0));
        else
            list.ids.push_back(s.Int(0));
    }
    if (rc != SQLITE_DONE) {
        list = List{};
        return rc;
    }
    list.key = key;
    list.changes = changes;
    list.version = version.Int(0);
    return SQLITE_OK;
}

int EnumCache::SubkeyName(std::int64_t key, std::uint32_t index, std::string& name) {
    int rc =
        Refresh(m_subkeys, key, "SELECT name FROM keys WHERE parent = ?1 ORDER BY folded", true);
    if (rc != SQLITE_OK)
        return rc;
    if (index >= m_subkeys.names.size())
        return SQLITE_DONE;
    name = m_subkeys.names[index];
    return SQLITE_ROW;
}

int EnumCache::ValueId(std::int64_t key, std::uint32_t index, std::int64_t& id) {
    int rc = Refresh(m_values, key, "SELECT id FROM vals WHERE key = ?1 ORDER BY id", false);
    if (rc != SQLITE_OK)
        return rc;
    if (index >= m_values.ids.size())
        return SQLITE_DONE;
    id = m_values.ids[index];
    return SQLITE_ROW;
}

} // namespace platform::detail
