#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

namespace platform::detail {

// The subkeys or values of one key in enumeration order, read with one query and kept while
// the hive is unchanged, so that walking n entries by index costs one query, not n scans.
// Any write of this connection or a commit by another one makes the next call read again.
class EnumCache {
public:
    explicit EnumCache(sqlite3* db) : m_db(db) {}

    // The name of the index-th subkey of key (name order, ignoring case). SQLITE_ROW when
    // there is one, SQLITE_DONE past the last, else the error.
    int SubkeyName(std::int64_t key, std::uint32_t index, std::string& name);
    // The row id of the index-th value of key (creation order); results as for SubkeyName.
    int ValueId(std::int64_t key, std::uint32_t index, std::int64_t& id);
    // Makes the next call read its list again.
    void Forget() { m_subkeys = m_values = List{}; }

private:
    struct List {
        std::int64_t key = -1;
        std::int64_t changes = -1;
        std::int64_t version = -1;
        std::vector<std::string> names;
        std::vector<std::int64_t> ids;
    };
    // Rereads the list when it is of another key or the hive changed since it was read.
    int Refresh(List& list, std::int64_t key, const char* sql, bool names);

    sqlite3* m_db;
    List m_subkeys;
    List m_values;
};

} // namespace platform::detail
