#pragma once

#include <array>
#include <cstddef>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::detail {

class Statement;

// The hive's statements, each prepared on its first use and kept for the connection's life.
class HiveStatements {
public:
    enum class Sql {
        KeyExists,
        FindChild,
        InsertKey,
        Value,
        SetValue,
        DeleteValue,
        DeleteTreeValues,
        DeleteTreeKeys,
        ValueById,
        DataVersion,
        Count
    };

    explicit HiveStatements(sqlite3* db) : m_db(db) {}
    // Finalizes them; before the connection closes.
    ~HiveStatements();
    HiveStatements(const HiveStatements&) = delete;
    HiveStatements& operator=(const HiveStatements&) = delete;

    // The statement lent for one use: reset and unbound when it goes.
    Statement Use(Sql sql);

private:
    sqlite3* m_db;
    std::array<sqlite3_stmt*, static_cast<std::size_t>(Sql::Count)> m_statements{};
};

} // namespace platform::detail
