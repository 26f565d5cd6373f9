#pragma once

#include <platform/Types.h>
#include <platform/platform_export.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The current user's registry hive, kept in the device folder. Names of keys and values
// compare without regard to case and keep the case they were created with. Every write is
// durable when the call returns.
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens the key below hKey, creating it and every missing parent.
PLATFORM_EXPORT LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult,
                                     LPDWORD lpdwDisposition = nullptr);
// Opens an existing key; ERROR_FILE_NOT_FOUND when it is absent.
PLATFORM_EXPORT LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult);
// Reads a value into the caller's buffer of *lpcbData bytes. Fails, leaving the buffer as it
// was, when the value is absent (ERROR_FILE_NOT_FOUND) or larger than the buffer
// (ERROR_MORE_DATA); *lpcbData then holds the value's size. A null lpData asks for the size.
PLATFORM_EXPORT LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpType, LPBYTE lpData,
                                      LPDWORD lpcbData);
// Stores exactly cbData bytes of lpData with the given type.
PLATFORM_EXPORT LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD dwType,
                                    const BYTE* lpData, DWORD cbData);
PLATFORM_EXPORT LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);
// Deletes the key together with every key and value below it.
PLATFORM_EXPORT LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);
PLATFORM_EXPORT LONG RegCloseKey(HKEY hKey);

// Subkeys enumerate in name order (ignoring case), values in the order they were created.
// *lpcchName is the buffer size in characters on entry (room for the terminator included)
// and the name's length on return; ERROR_MORE_DATA when the name or the data does not fit,
// with the sizes needed; ERROR_NO_MORE_ITEMS past the last entry.
PLATFORM_EXPORT LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName);
PLATFORM_EXPORT LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName,
                                   LPDWORD lpcchValueName, LPDWORD lpType, LPBYTE lpData,
                                   LPDWORD lpcbData);

namespace platform {

// Empty while the hive can be used; otherwise the message that names the damaged file, the
// newest backup and the command that restores it. Programs check it at start and stop with
// the message.
PLATFORM_EXPORT std::string RegistryProblem();
// The same as the device's text, for a message box.
PLATFORM_EXPORT std::u16string RegistryProblemText();

// What a whole-hive operation did, or why it did nothing.
struct RegistryReport {
    bool ok = false;
    std::string message;
};

// Why a copy of the hive is kept; the reason is shown in the list of backups.
enum class BackupReason { Start, Import, Delete, Fix };

// One of the copies of the hive kept in the device folder's "backups" folder.
struct RegistryBackup {
    int number = 0; // 1 for the newest
    std::filesystem::path file;
    std::string time;   // when it was made, by the local clock
    std::string reason; // "before an import", "at a launcher start", ...
};

// Keeps a copy of the hive, unless it holds nothing or the newest copy holds the same
// content (so an unchanged hive costs no copy and no disk sync); the newest 10 are kept.
PLATFORM_EXPORT RegistryReport BackUpRegistry(BackupReason reason);

// The kept copies, newest first.
PLATFORM_EXPORT std::vector<RegistryBackup> RegistryBackups();

// Puts the number-th newest copy back. Refuses while another process has the hive open
// (naming it), and refuses a sound hive unless forced. A sound hive is first kept as the
// newest copy, so that a restore can be undone, and is then overwritten in place; a damaged
// one is set aside as registry.db.damaged-<time> under a name of its own.
PLATFORM_EXPORT RegistryReport RestoreRegistry(int number = 1, bool force = false);

// Closes the hive of this process; open handles become invalid. The next call opens it
// again as a new program would.
PLATFORM_EXPORT void CloseRegistry();

// One key below HKEY_CURRENT_USER, opened (with create, created with its missing parents)
// for the life of the object.
class RegistryKey {
public:
    RegistryKey(std::u16string_view path, bool create) {
        const std::u16string key(path);
        m_status = create ? RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), &m_key, &m_disposition)
                          : RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), &m_key);
    }
    ~RegistryKey() {
        if (m_status == ERROR_SUCCESS)
            RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    LONG Status() const { return m_status; }
    bool IsOpen() const { return m_status == ERROR_SUCCESS; }
    // REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY for a key opened with create.
    DWORD Disposition() const { return m_disposition; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
    LONG m_status = ERROR_SUCCESS;
    DWORD m_disposition = 0;
};

// Called when a write of this process could not be stored (the hive busy for too long, the
// disk full, the key deleted by another program, the file damaged), with a message naming
// the file and the reason; not for a caller's bad arguments. Runs on the writing thread
// after the registry has let go of its lock.
using RegistryWriteFailureHook = std::function<void(const std::u16string& message)>;
PLATFORM_EXPORT void SetRegistryWriteFailureHook(RegistryWriteFailureHook hook);

// All-or-nothing group of registry calls: every Reg* call of this process made while it is
// active belongs to it; nothing is stored unless Commit succeeds. One at a time per process.
class PLATFORM_EXPORT RegistryTransaction {
public:
    enum class Mode {
        // The reads share one snapshot and cost no lock; the first write waits for other
        // programs' writes and then holds them off until the transaction ends.
        Direct,
        // For long runs of writes (an import): they go to a private copy of the hive while
        // other programs go on reading and writing it; Commit puts them in place in one short
        // write, or stores nothing and returns ERROR_TRANSACTIONAL_CONFLICT when another
        // program changed the same keys or values meanwhile.
        Staged,
    };

    explicit RegistryTransaction(Mode mode = Mode::Direct);
    ~RegistryTransaction();
    RegistryTransaction(const RegistryTransaction&) = delete;
    RegistryTransaction& operator=(const RegistryTransaction&) = delete;

    // ERROR_SUCCESS when the transaction began.
    LONG Status() const { return m_status; }
    // A write inside that the hive could not store (not a bad argument) makes Commit fail
    // too, storing nothing.
    LONG Commit();

private:
    Mode m_mode;
    LONG m_status = ERROR_SUCCESS;
    bool m_active = false;
};

} // namespace platform
