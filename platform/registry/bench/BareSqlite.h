#pragma once

#include <filesystem>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::bench {

// The baseline of the store's benchmarks: a plain SQLite table with the hive's durability
// settings, one prepared statement per kind of access and nothing of the registry's own.
class BareSqlite {
public:
    explicit BareSqlite(const std::filesystem::path& file);
    ~BareSqlite();
    BareSqlite(const BareSqlite&) = delete;
    BareSqlite& operator=(const BareSqlite&) = delete;

    void Exec(const char* sql);
    void Write(int key, const char* name);
    void Read(int key, const char* name);

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_select = nullptr;
};

} // namespace platform::bench
