#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

struct sqlite3;

namespace platform::detail {

// A connection of its own to a hive file, the live one or a kept copy, for the work on whole
// files that backups and restores do; the registry calls go through Hive instead.
class HiveCopier {
public:
    HiveCopier(const std::filesystem::path& file, bool write);
    ~HiveCopier();
    HiveCopier(const HiveCopier&) = delete;
    HiveCopier& operator=(const HiveCopier&) = delete;

    bool Ok() const { return m_db != nullptr; }
    // Why the last step failed, in the system's words where it gave a reason.
    const std::string& Error() const { return m_error; }

    // A digest of every key and value, read in one transaction; `empty` when there are none.
    bool Digest(std::uint64_t& digest, bool& empty);
    // Writes a consistent copy into `copy` (an empty file the caller made) and flushes it.
    bool CopyInto(const std::filesystem::path& copy);
    // Replaces the whole content with that of the hive file `copy` through SQLite's online
    // backup, under the hive's own locks: every connection sees the new content at its next
    // read, and a write of another process lands before or after, never in a lost file.
    bool ReplaceWith(const std::filesystem::path& copy);

private:
    bool Fail(int rc);

    sqlite3* m_db = nullptr;
    std::string m_error;
};

} // namespace platform::detail
