#pragma once

#include "registry/EnumCache.h"
#include "registry/HiveCache.h"
#include "registry/HiveStatements.h"

#include <platform/Types.h>
#include <platform/platform_export.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace platform::detail {

class HiveChanges;
class Statement;

// Key id of HKEY_CURRENT_USER; it has no row of its own.
inline constexpr std::int64_t kRootKey = 0;

// The largest value data the hive stores. Far above anything the launcher writes, and low
// enough that reading or exporting a value never takes more than a few hundred megabytes; a
// stored row above it is damage.
inline constexpr std::size_t kMaxValueBytes = std::size_t{16} << 20;

// One hive file: the SQLite connection and the statements the registry calls need.
// Names arrive already checked (non-empty where required, at most 255 units, valid UTF-16).
// Opening or reading never takes the write lock, and a write that changes nothing writes
// nothing, so other programs' writes do not hold up a reader.
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
    // the file is not written.
    static int Check(const std::filesystem::path& file);

    // Set once an operation met a damaged file; the caller then stops using the hive.
    bool Damaged() const { return m_damaged; }
    const std::filesystem::path& Folder() const { return m_folder; }

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

    // A transaction spanning several calls. Its reads share one snapshot; its first write
    // waits for the write lock, which it then holds until Commit or Rollback. The calls
    // inside use savepoints.
    LONG Begin();
    LONG Commit();
    void Rollback();
    bool InTransaction() const { return m_batch; }

    // A private copy of this hive that records its changes; ApplyStaged puts them into this
    // hive in one short write, or nothing when another program changed the same rows.
    std::unique_ptr<Hive> Stage(LONG& error);
    LONG ApplyStaged(Hive& staged);

private:
    using Sql = HiveStatements::Sql;

    Hive(sqlite3* db, std::filesystem::path folder);

    class WriteScope;
    // Runs `write` in one write transaction after checking that the key exists; what it
    // returns ends the transaction (committed on ERROR_SUCCESS).
    template <class Write> LONG WriteInKey(std::int64_t key, Write write);
    // Calls use(present, type, bytes) with the value as it is stored.
    template <class Reader> LONG WithValue(std::int64_t key, const std::string& folded, Reader use);
    LONG FindChild(std::int64_t parent, const std::string& folded, std::int64_t& child,
                   bool& found);
    Statement Use(Sql sql);
    // Turns a transaction's snapshot into the write lock, once.
    LONG HoldWriteLock();
    void EndTransaction();
    std::int64_t DataVersion();
    // The cache is good while nobody else can write: in a transaction, or on a private copy.
    bool Cached() const { return m_batch || m_changes; }
    LONG Fail(int rc);
    // Marks the hive damaged: a row holds what no write of ours makes.
    LONG Damage();
    LONG Exec(const char* sql);
    LONG ValueFromRow(const Statement& s, std::u16string& name, LPDWORD type, LPBYTE data,
                      LPDWORD size);

    sqlite3* m_db = nullptr;
    std::filesystem::path m_folder;
    bool m_damaged = false;
    std::unique_ptr<HiveStatements> m_statements;
    HiveCache m_cache;
    bool m_batch = false;
    bool m_batchWrites = false;
    LONG m_batchStatus = ERROR_SUCCESS;
    // The record of changes of a staged copy; null for the hive itself.
    std::unique_ptr<HiveChanges> m_changes;
    // A staged copy whose change record may no longer match it stores nothing.
    LONG m_stagedStatus = ERROR_SUCCESS;
    EnumCache m_enum;
};

} // namespace platform::detail
