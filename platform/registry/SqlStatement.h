#pragma once

#include <platform/Types.h>

#include <sqlite3.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform::detail {

// A prepared statement; binding stops at the first failure. One made from SQL text finalizes
// itself; one lent from a cache is reset and handed back when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : m_owned(true) {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    }
    // Lends a cached statement; a null one carries the error of its preparation.
    Statement(sqlite3_stmt* cached, int rc) : m_stmt(cached), m_rc(cached ? SQLITE_OK : rc) {}
    ~Statement() {
        if (m_owned) {
            sqlite3_finalize(m_stmt);
        } else if (m_stmt) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_rc == SQLITE_OK; }
    int Rc() const { return m_rc; }
    Statement& Bind(int i, std::int64_t v) {
        if (Ok())
            m_rc = sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    Statement& Bind(int i, std::string_view text) {
        if (Ok())
            m_rc = sqlite3_bind_text(m_stmt, i, text.data(), static_cast<int>(text.size()),
                                     SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int i, std::span<const BYTE> data) {
        if (Ok())
            m_rc = sqlite3_bind_blob64(m_stmt, i,
                                       data.empty() ? static_cast<const void*>("") : data.data(),
                                       data.size(), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() { return Ok() ? sqlite3_step(m_stmt) : m_rc; }
    std::int64_t Int(int col) const { return sqlite3_column_int64(m_stmt, col); }
    // SQLITE_INTEGER, SQLITE_TEXT, SQLITE_BLOB, ... as the row stores the column.
    int Type(int col) const { return sqlite3_column_type(m_stmt, col); }
    std::string Text(int col) const {
        auto p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, col)))
                 : std::string();
    }
    // The column's bytes as stored; the size is taken after the pointer, as SQLite asks.
    std::span<const BYTE> Blob(int col) const {
        auto p = static_cast<const BYTE*>(sqlite3_column_blob(m_stmt, col));
        auto n = static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, col));
        return p ? std::span<const BYTE>(p, n) : std::span<const BYTE>();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_OK;
    bool m_owned = false;
};

} // namespace platform::detail
