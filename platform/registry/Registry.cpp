#include <platform/Device.h>
#include <platform/Registry.h>

#include "core/Text.h"
#include "registry/BackupHistory.h"
#include "registry/Hive.h"
#include "registry/RegistryFiles.h"

#include <mutex>
#include <set>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;
using platform::detail::Hive;
using platform::detail::kRootKey;

namespace {

constexpr std::size_t kMaxName = 255;
constexpr std::size_t kMaxPath = 32767;

struct OpenKey {
    std::uint64_t generation = 0;
    std::int64_t key = 0;
};

// The process's view of the hive: one connection for the current device folder and the
// table behind the HKEY handles it gave out.
struct State {
    std::mutex mutex;
    fs::path folder;
    bool opened = false;
    std::unique_ptr<Hive> hive;
    // While a staged transaction runs, the calls go to its private copy.
    std::unique_ptr<Hive> staged;
    platform::RegistryWriteFailureHook failureHook;
    LONG error = ERROR_SUCCESS;
    std::string problem;
    std::uint64_t generation = 1;
    std::set<fs::path> tidied;
    std::unordered_map<std::uintptr_t, OpenKey> handles;
    std::uintptr_t nextHandle = 0x1000;
};

State& TheState() {
    static State state;
    return state;
}

void Forget(State& s) {
    s.staged.reset();
    s.hive.reset();
    s.opened = false;
    s.problem.clear();
    s.error = ERROR_SUCCESS;
    s.handles.clear();
    ++s.generation;
}

Hive* Acquire(State& s, LONG& error) {
    fs::path folder = platform::DeviceFolder();
    if (s.opened && folder == s.folder) {
        error = s.error;
        return s.hive.get();
    }
    Forget(s);
    s.folder = folder;
    if (!platform::EnsureDeviceFolder()) {
        error = ERROR_ACCESS_DENIED;
        s.problem = "Tovalo: cannot create the device folder " + folder.string();
        return nullptr;
    }
    if (s.tidied.insert(folder).second)
        platform::detail::RemoveLeftovers(folder);
    s.hive = Hive::Open(folder, s.error, s.problem);
    if (!s.hive) {
        error = s.error;
        // Damage stays known for this folder; other failures may pass, so try again later.
        s.opened = s.error == ERROR_BADDB;
        return nullptr;
    }
    s.opened = true;
    s.error = ERROR_SUCCESS;
    error = ERROR_SUCCESS;
    return s.hive.get();
}

// Drops a hive that turned out damaged while in use.
LONG Check(State& s, LONG status) {
    if (s.hive && s.hive->Damaged()) {
        Forget(s);
        // Known damaged for this folder, as a hive found damaged on opening is.
        s.opened = true;
        s.error = ERROR_BADDB;
        s.problem = platform::detail::DamagedHiveMessage(s.folder);
    }
    return status;
}

bool ValidName(std::u16string_view name) {
    if (name.size() > kMaxName)
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t c = name[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF)
                return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

LONG SplitPath(LPCWSTR subKey, std::vector<std::u16string>& parts) {
    if (!subKey || !*subKey)
        return ERROR_SUCCESS;
    std::u16string_view path(subKey);
    if (path.size() > kMaxPath)
        return ERROR_INVALID_PARAMETER;
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find(u'\\', start);
        std::u16string_view part = path.substr(start, end - start);
        if (part.empty() || !ValidName(part))
            return ERROR_INVALID_PARAMETER;
        parts.emplace_back(part);
        if (end == std::u16string_view::npos)
            return ERROR_SUCCESS;
        start = end + 1;
    }
}

LONG ValueName(LPCWSTR name, std::u16string_view& result) {
    result = name ? std::u16string_view(name) : std::u16string_view();
    return ValidName(result) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

LONG Resolve(State& s, HKEY handle, std::int64_t& key) {
    if (handle == HKEY_CURRENT_USER) {
        key = kRootKey;
        return ERROR_SUCCESS;
    }
    auto it = s.handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == s.handles.end() || it->second.generation != s.generation)
        return ERROR_INVALID_HANDLE;
    key = it->second.key;
    return ERROR_SUCCESS;
}

HKEY NewHandle(State& s, std::int64_t key) {
    std::uintptr_t value = s.nextHandle++;
    s.handles[value] = OpenKey{s.generation, key};
    return reinterpret_cast<HKEY>(value);
}

// Locks the state, opens the hive and resolves the handle; the body runs with both.
template <typename Body> LONG WithKey(HKEY handle, Body body) {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    LONG status;
    Hive* hive = Acquire(s, status);
    if (!hive)
        return status;
    std::int64_t key;
    status = Resolve(s, handle, key);
    if (status != ERROR_SUCCESS)
        return status;
    return Check(s, body(s, s.staged ? *s.staged : *hive, key));
}

// A write that the hive could not store is told to the program's hook, once the registry
// has let go of its lock, so that the hook may use the registry itself.
LONG Written(LONG status) {
    std::string reason;
    switch (status) {
    case ERROR_ACCESS_DENIED:
        reason = "another program holds it for writing, or it cannot be written";
        break;
    case ERROR_NOT_ENOUGH_MEMORY:
        reason = "the disk or the memory is full";
        break;
    case ERROR_KEY_DELETED:
        reason = "another program deleted the key meanwhile";
        break;
    case ERROR_TRANSACTIONAL_CONFLICT:
        reason = "another program changed the same keys meanwhile";
        break;
    case ERROR_BADDB:
        break;
    default:
        return status;
    }
    State& s = TheState();
    platform::RegistryWriteFailureHook hook;
    std::string message;
    {
        std::lock_guard lock(s.mutex);
        hook = s.failureHook;
        message = status == ERROR_BADDB ? platform::detail::DamagedHiveMessage(s.folder)
                                        : "Tovalo: a change could not be stored in " +
                                              Hive::FileIn(s.folder).string() + ": " + reason + ".";
    }
    if (hook)
        hook(platform::detail::FromUtf8(message));
    return status;
}

LONG OpenOrCreate(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult, bool create,
                  LPDWORD lpdwDisposition) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    std::vector<std::u16string> parts;
    if (LONG status = SplitPath(lpSubKey, parts); status != ERROR_SUCCESS)
        return status;
    return WithKey(hKey, [&](State& s, Hive& hive, std::int64_t base) {
        std::int64_t key = 0;
        bool created = false;
        LONG status = hive.OpenPath(base, parts, create, key, created);
        if (status != ERROR_SUCCESS)
            return status;
        *phkResult = NewHandle(s, key);
        if (lpdwDisposition)
            *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    });
}

LONG CopyName(const std::u16string& name, LPWSTR buffer, LPDWORD cch) {
    if (!buffer || !cch)
        return ERROR_INVALID_PARAMETER;
    if (name.size() + 1 > *cch) {
        *cch = static_cast<DWORD>(name.size());
        return ERROR_MORE_DATA;
    }
    name.copy(buffer, name.size());
    buffer[name.size()] = 0;
    *cch = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

} // namespace

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult, LPDWORD lpdwDisposition) {
    return Written(OpenOrCreate(hKey, lpSubKey, phkResult, true, lpdwDisposition));
}

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
    return OpenOrCreate(hKey, lpSubKey, phkResult, false, nullptr);
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
    std::u16string_view name;
    if (LONG status = ValueName(lpValueName, name); status != ERROR_SUCCESS)
        return status;
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    return WithKey(hKey, [&](State&, Hive& hive, std::int64_t key) {
        return hive.QueryValue(key, name, lpType, lpData, lpcbData);
    });
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
    std::u16string_view name;
    if (LONG status = ValueName(lpValueName, name); status != ERROR_SUCCESS)
        return status;
    if (!lpData && cbData != 0)
        return ERROR_INVALID_PARAMETER;
    std::span<const BYTE> data =
        lpData ? std::span<const BYTE>(lpData, cbData) : std::span<const BYTE>();
    return Written(WithKey(hKey, [&](State&, Hive& hive, std::int64_t key) {
        return hive.SetValue(key, name, dwType, data);
    }));
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    std::u16string_view name;
    if (LONG status = ValueName(lpValueName, name); status != ERROR_SUCCESS)
        return status;
    return Written(WithKey(
        hKey, [&](State&, Hive& hive, std::int64_t key) { return hive.DeleteValue(key, name); }));
}

LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    std::vector<std::u16string> parts;
    if (LONG status = SplitPath(lpSubKey, parts); status != ERROR_SUCCESS)
        return status;
    return Written(WithKey(hKey, [&](State&, Hive& hive, std::int64_t base) {
        std::int64_t key = 0;
        bool created = false;
        LONG status = hive.OpenPath(base, parts, false, key, created);
        return status == ERROR_SUCCESS ? hive.DeleteTree(key) : status;
    }));
}

LONG RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_CURRENT_USER)
        return ERROR_SUCCESS;
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    return s.handles.erase(reinterpret_cast<std::uintptr_t>(hKey)) ? ERROR_SUCCESS
                                                                   : ERROR_INVALID_HANDLE;
}

LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName) {
    return WithKey(hKey, [&](State&, Hive& hive, std::int64_t key) {
        std::u16string name;
        LONG status = hive.EnumKey(key, dwIndex, name);
        return status == ERROR_SUCCESS ? CopyName(name, lpName, lpcchName) : status;
    });
}

LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    return WithKey(hKey, [&](State&, Hive& hive, std::int64_t key) {
        std::u16string name;
        DWORD type = 0;
        DWORD size = lpcbData ? *lpcbData : 0;
        // Sizes first, so that nothing is written when either buffer is too small.
        LONG status =
            hive.EnumValue(key, dwIndex, name, &type, nullptr, lpcbData ? &size : nullptr);
        if (status != ERROR_SUCCESS)
            return status;
        if (!lpValueName || !lpcchValueName)
            return static_cast<LONG>(ERROR_INVALID_PARAMETER);
        bool nameFits = name.size() + 1 <= *lpcchValueName;
        bool dataFits = !lpData || size <= *lpcbData;
        if (!nameFits || !dataFits) {
            *lpcchValueName = static_cast<DWORD>(name.size());
            if (lpcbData)
                *lpcbData = size;
            return static_cast<LONG>(ERROR_MORE_DATA);
        }
        if (lpData) {
            status = hive.EnumValue(key, dwIndex, name, &type, lpData, lpcbData);
            if (status != ERROR_SUCCESS)
                return status;
        } else if (lpcbData) {
            *lpcbData = size;
        }
        if (lpType)
            *lpType = type;
        return CopyName(name, lpValueName, lpcchValueName);
    });
}

namespace platform {

std::string RegistryProblem() {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    LONG status;
    Acquire(s, status);
    return s.problem;
}

std::u16string RegistryProblemText() {
    return detail::FromUtf8(RegistryProblem());
}

void CloseRegistry() {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    Forget(s);
    s.tidied.clear();
}

RegistryReport BackUpRegistry(BackupReason reason) {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    RegistryReport report;
    LONG status;
    if (!Acquire(s, status)) {
        report.message = s.problem.empty() ? "Tovalo: cannot open the registry" : s.problem;
        return report;
    }
    constexpr const char* kWords[] = {"start", "import", "delete", "check"};
    report.ok = detail::KeepBackup(s.folder, kWords[static_cast<int>(reason)], report.message);
    return report;
}

std::vector<RegistryBackup> RegistryBackups() {
    std::vector<RegistryBackup> list;
    int number = 0;
    for (const auto& copy : detail::BackupHistory(DeviceFolder()).List())
        list.push_back({++number, copy.file, detail::BackupHistory::TimeText(copy.time),
                        detail::BackupHistory::ReasonText(copy.reason)});
    return list;
}

RegistryReport RestoreRegistry(int number, bool force) {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    Forget(s);
    RegistryReport report;
    report.ok = detail::RestoreBackup(DeviceFolder(), number, force, report.message);
    return report;
}

void SetRegistryWriteFailureHook(RegistryWriteFailureHook hook) {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    s.failureHook = std::move(hook);
}

RegistryTransaction::RegistryTransaction(Mode mode) : m_mode(mode) {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    Hive* hive = Acquire(s, m_status);
    if (!hive)
        return;
    if (hive->InTransaction() || s.staged) {
        m_status = ERROR_ACCESS_DENIED;
        return;
    }
    if (mode == Mode::Staged)
        s.staged = hive->Stage(m_status);
    else
        m_status = hive->Begin();
    m_status = Check(s, m_status);
    m_active = m_status == ERROR_SUCCESS;
}

RegistryTransaction::~RegistryTransaction() {
    if (!m_active)
        return;
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    if (m_mode == Mode::Staged)
        s.staged.reset();
    else if (s.hive)
        s.hive->Rollback();
}

LONG RegistryTransaction::Commit() {
    if (!m_active)
        return m_status == ERROR_SUCCESS ? ERROR_INVALID_HANDLE : m_status;
    m_active = false;
    LONG status;
    {
        State& s = TheState();
        std::lock_guard lock(s.mutex);
        if (!s.hive) {
            s.staged.reset();
            return s.error == ERROR_SUCCESS ? ERROR_INVALID_HANDLE : s.error;
        }
        if (m_mode == Mode::Staged) {
            status = s.staged ? s.hive->ApplyStaged(*s.staged) : ERROR_INVALID_HANDLE;
            s.staged.reset();
        } else {
            status = s.hive->Commit();
        }
        status = Check(s, status);
    }
    return Written(status);
}

} // namespace platform
