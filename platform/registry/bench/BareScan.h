#pragma once

#include <filesystem>
#include <string>

struct sqlite3;

namespace platform::bench {

// The baseline of the export benchmark: the values of one key in a plain SQLite table, read
// in their order by one statement and written out as text lines, with nothing of the
// registry's own.
class BareScan {
public:
    BareScan(const std::filesystem::path& file, int values);
    ~BareScan();
    BareScan(const BareScan&) = delete;
    BareScan& operator=(const BareScan&) = delete;

    // The text of every value, "name"=dword:digits per line.
    std::string Scan() const;

private:
    sqlite3* m_db = nullptr;
};

} // namespace platform::bench
