#pragma once

#include <platform/Types.h>
#include <platform/platform_export.h>

#include "registry/EnumCache.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace platform::detail {

class Statement;

// Key id of HKEY_CURRENT_USER; it has no row of its own.
inline constexpr std::int64_t kRootKey = 0;

// One hive file: the SQLite connection and the statements the registry calls need.
// Names arrive already checked (non-empty where required, at most 255 units, valid UTF-16).
class PLATFORM_EXPORT Hive {
public:
    // Opens (creating when missing) registry.db in the folder. On failure returns null with
    // the error code and, for a damaged file, the message naming it.
    static std::unique_ptr<Hive> Open(const std::filesystem::path& folder, LONG& error,
                                      std::string& problem);
    ~Hive();
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;

    static std::filesystem::path FileIn(const std::filesystem::path& folder);
    // SQLITE_OK when the file is a hive of ours that passes SQLite's check, else the reason;
    // the file may be given its journal mode but is otherwise not written.
    static int Check(const std::filesystem::path& file);
    // A connection with the hive's busy timeout and extended result codes; null on failure.
    static sqlite3* Connect(const std::filesystem::path& file, bool readOnly, int& rc);

    // Set once an operation met a damaged file; the caller then stops using the hive.
    bool Damaged() const { return m_damaged; }

    LONG KeyExists(std::int64_t key);
    LONG OpenPath(std::int64_t base, std::span<const std::u16string> parts, bool create,
                  std::int64_t& result, bool& created);
    LONG QueryValue(std::int64_t key, std::u16string_view name, LPDWORD type, LPBYTE data,
                    LPDWORD size);
    LONG SetValue(std::int64_t key, std::u16string_view name, DWORD type,
                  std::span<const BYTE> data);
    LONG DeleteValue(std::int64_t key, std::u16string_view name);
    LONG DeleteTree(std::int64_t key);
    LONG EnumKey(std::int64_t key, DWORD index, std::u16string& name);
    LONG EnumValue(std::int64_t key, DWORD index, std::u16string& name, LPDWORD type, LPBYTE data,
                   LPDWORD size);

    // An explicit transaction spanning several calls; the calls inside use savepoints.
    LONG Begin();
    LONG Commit();
    void Rollback();
    bool InTransaction() const;

private:
    Hive(sqlite3* db, std::filesystem::path folder);

    class WriteScope;
    // Runs `write` in one write transaction after checking that the key exists; what it
    // returns ends the transaction (committed on ERROR_SUCCESS).
    template <class Write> LONG WriteInKey(std::int64_t key, Write write);
    LONG Fail(int rc);
    // Marks the hive damaged: a row holds what no write of ours makes.
    LONG Damage();
    LONG Exec(const char* sql);
    LONG ValueFromRow(const Statement& s, std::u16string& name, LPDWORD type, LPBYTE data,
                      LPDWORD size);

    sqlite3* m_db = nullptr;
    std::filesystem::path m_folder;
    bool m_damaged = false;
    EnumCache m_enum;
};

} // namespace platform::detail
