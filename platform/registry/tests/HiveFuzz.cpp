// Fuzz target: a hostile registry.db. The fuzzer's bytes become the hive file itself (when they
// start as one does), or after a first byte choosing between the two, rows written into a sound
// hive (any storage class, names that are not UTF-8, keys that are their own parents, folded
// names that do not match) or SQL run over a sound hive. The hive is then
// read through the registry calls, exported as tovalo-reg does, and written to. Every call must
// refuse or answer within the caller's buffer, leaving a buffer it refuses as it was.
#include <platform/Registry.h>

#include "RegTool.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path g_folder;
fs::path g_device;
// The sound hive's bytes. Written with streams, which retry a write the fuzzer's timer
// interrupts, where copy_file gives up.
std::string g_template;

constexpr int kMaxKeysWalked = 400;
constexpr int kMaxDepth = 24;
constexpr DWORD kMaxIndex = 200;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// The fuzzer's bytes, taken from the front; past the end everything reads as zero.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_pos >= m_size; }
    std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::int64_t Number() {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value = value << 8 | Byte();
        return static_cast<std::int64_t>(value);
    }
    // As many bytes as the next byte says, or as are left.
    std::string_view Bytes() { return Take(Byte()); }
    std::string_view Rest() { return Take(m_size); }

private:
    std::string_view Take(std::size_t n) {
        n = std::min(n, m_size - std::min(m_pos, m_size));
        std::string_view out(reinterpret_cast<const char*>(m_data) + m_pos, n);
        m_pos += n;
        return out;
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Binds one column as the input chooses: text (any bytes), blob, integer, real or null.
void BindAny(sqlite3_stmt* s, int column, Input& in) {
    const std::uint8_t kind = in.Byte() % 5;
    if (kind == 2)
        sqlite3_bind_int64(s, column, in.Number());
    else if (kind == 3)
        sqlite3_bind_double(s, column, static_cast<double>(in.Number()) / 3.0);
    else if (kind == 4)
        sqlite3_bind_null(s, column);
    else if (const std::string_view bytes = in.Bytes(); kind == 0)
        sqlite3_bind_text(s, column, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
    else
        sqlite3_bind_blob(s, column, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
}

// A key id: mostly one of the first rows, sometimes any number.
void BindId(sqlite3_stmt* s, int column, Input& in) {
    const std::uint8_t b = in.Byte();
    sqlite3_bind_int64(s, column, b == 0xFF ? in.Number() : b % 32);
}

void Run(sqlite3* db, const char* sql, Input& in, int ids, int anys) {
    sqlite3_stmt* s = nullptr;
    Check(sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK);
    int column = 1;
    for (int i = 0; i < ids; ++i)
        BindId(s, column++, in);
    for (int i = 0; i < anys; ++i)
        BindAny(s, column++, in);
    sqlite3_step(s);
    sqlite3_finalize(s);
}

// The row writes an input chooses from: a statement, then how many key ids and other columns
// it binds.
struct RowWrite {
    const char* sql;
    int ids;
    int anys;
};
constexpr RowWrite kRowWrites[] = {
    // A key whose folded name is its name in lower case, as ours are.
    {"INSERT INTO keys(parent, name, folded) VALUES(?1, ?2, lower(?2))", 1, 1},
    {"INSERT INTO keys(id, parent, name, folded) VALUES(?1, ?2, ?3, ?4)", 2, 2},
    {"INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, lower(?2), ?3, ?4)", 1, 3},
    {"INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)", 1, 4},
    {"UPDATE keys SET parent = ?2 WHERE id = ?1", 2, 0},
    {"UPDATE vals SET data = CAST(data AS TEXT) WHERE id = ?1", 1, 0},
};

void WriteRows(sqlite3* db, Input& in) {
    while (!in.Empty()) {
        const RowWrite& row = kRowWrites[in.Byte() % std::size(kRowWrites)];
        Run(db, row.sql, in, row.ids, row.anys);
    }
}

// Refuses what would reach outside the hive: other files and the fuzzing process's time.
int Authorize(void*, int action, const char*, const char*, const char*, const char*) {
    return action == SQLITE_ATTACH || action == SQLITE_DETACH ? SQLITE_DENY : SQLITE_OK;
}

void RunStatements(sqlite3* db, std::string_view text) {
    std::string sql(text);
    std::string lower = sql;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // VACUUM INTO writes a file of the statement's choosing.
    if (lower.find("vacuum") != std::string::npos)
        return;
    sqlite3_set_authorizer(db, Authorize, nullptr);
    int steps = 0;
    sqlite3_progress_handler(
        db, 1000, [](void* count) { return ++*static_cast<int*>(count) > 2000 ? 1 : 0; }, &steps);
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

void MakeHive(const std::uint8_t* data, std::size_t size) {
    platform::CloseRegistry();
    std::error_code ec;
    fs::remove_all(g_device, ec);
    fs::create_directories(g_device);
    fs::permissions(g_device, fs::perms::owner_all, fs::perm_options::replace, ec);
    const fs::path hive = g_device / "registry.db";
    // Input that starts as a database file does is one, byte for byte.
    constexpr std::string_view kMagic("SQLite format 3\0", 16);
    if (std::string_view(reinterpret_cast<const char*>(data), size).starts_with(kMagic)) {
        std::ofstream(hive, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return;
    }
    Input in(data, size);
    const std::uint8_t mode = in.Byte() % 2;
    std::ofstream(hive, std::ios::binary)
        .write(g_template.data(), static_cast<std::streamsize>(g_template.size()));
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(hive.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        if (mode == 0)
            WriteRows(db, in);
        else
            RunStatements(db, in.Rest());
    }
    sqlite3_close(db);
}

// Reads value `index` of the key as a careful caller does: the sizes first, then into buffers
// of exactly those sizes, then into one a byte short, which must be refused and left alone.
// False past the last value.
bool ReadValue(HKEY key, DWORD index) {
    std::vector<WCHAR> name(4);
    DWORD cch = static_cast<DWORD>(name.size());
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegEnumValueW(key, index, name.data(), &cch, &type, nullptr, &size);
    if (status == ERROR_MORE_DATA) {
        name.assign(cch + 1, 0);
        cch = static_cast<DWORD>(name.size());
        status = RegEnumValueW(key, index, name.data(), &cch, &type, nullptr, &size);
    }
    if (status != ERROR_SUCCESS)
        return status != ERROR_NO_MORE_ITEMS;
    Check(cch < name.size() && name[cch] == 0);
    std::vector<BYTE> data(size);
    DWORD got = size;
    cch = static_cast<DWORD>(name.size());
    if (RegEnumValueW(key, index, name.data(), &cch, &type, data.data(), &got) == ERROR_SUCCESS)
        Check(got == size);
    if (size > 0) {
        // A buffer that is a byte shorter than the value says so.
        std::vector<BYTE> shortBuffer(size, 0xA5);
        got = size - 1;
        cch = static_cast<DWORD>(name.size());
        status = RegEnumValueW(key, index, name.data(), &cch, &type, shortBuffer.data(), &got);
        Check(status != ERROR_SUCCESS);
        if (status == ERROR_MORE_DATA)
            Check(got == size && std::all_of(shortBuffer.begin(), shortBuffer.end(),
                                             [](BYTE b) { return b == 0xA5; }));
    }
    // The same value by its name.
    DWORD querySize = 0;
    if (RegQueryValueExW(key, name.data(), &type, nullptr, &querySize) != ERROR_SUCCESS)
        return true;
    std::vector<BYTE> queried(querySize);
    got = querySize;
    if (RegQueryValueExW(key, name.data(), &type, queried.data(), &got) == ERROR_SUCCESS)
        Check(got == querySize);
    return true;
}

void Walk(HKEY key, int depth, int& walked) {
    for (DWORD i = 0; i < kMaxIndex && ReadValue(key, i); ++i) {
    }
    for (DWORD i = 0; i < kMaxIndex && depth < kMaxDepth && walked < kMaxKeysWalked; ++i) {
        WCHAR small[4];
        DWORD cch = 4;
        LONG status = RegEnumKeyExW(key, i, small, &cch);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        std::vector<WCHAR> name(std::max<DWORD>(cch, 4) + 1);
        cch = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &cch) != ERROR_SUCCESS)
            continue;
        Check(cch < name.size() && name[cch] == 0);
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name.data(), &child) == ERROR_SUCCESS) {
            ++walked;
            Walk(child, depth + 1, walked);
            RegCloseKey(child);
        }
    }
}

void Export() {
    std::ostringstream out;
    std::ostringstream err;
    // A refused export says why.
    Check(tovaloreg::RegTool(out, err).Run({"export"}) == 0 || !err.str().empty());
}

void Write() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\NorviSoft\\NorviLuncher\\Groups", &key) ==
        ERROR_SUCCESS) {
        const DWORD one = 1;
        RegSetValueExW(key, u"GroupCount", REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
        RegDeleteValueW(key, u"Groups0");
        RegCloseKey(key);
    }
    // What removing the launcher does.
    RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\NorviSoft\\NorviLuncher");
    RegDeleteKeyW(HKEY_CURRENT_USER, u"Software");
}

// A sound hive with a small tree, the starting point of the row and SQL forms.
void MakeTemplate() {
    setenv("TOVALO_DEVICE", g_device.c_str(), 1);
    for (const char16_t* path :
         {u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups0", u"Software\\NorviSoft\\Other"}) {
        HKEY key = nullptr;
        Check(RegCreateKeyExW(HKEY_CURRENT_USER, path, &key) == ERROR_SUCCESS);
        const DWORD pk = 0;
        const char16_t text[] = u"etc.";
        RegSetValueExW(key, u"PK", REG_DWORD, reinterpret_cast<const BYTE*>(&pk), 4);
        RegSetValueExW(key, u"GroupName", REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
        RegSetValueExW(key, u"", REG_BINARY, reinterpret_cast<const BYTE*>(text), 3);
        RegCloseKey(key);
    }
    platform::CloseRegistry();
    std::ifstream file(g_device / "registry.db", std::ios::binary);
    g_template.assign(std::istreambuf_iterator<char>(file), {});
    Check(!g_template.empty());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Every input writes a hive and its backup: memory rather than a disk takes the syncs.
    std::random_device random;
    std::error_code ec;
    const fs::path base =
        fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    g_folder = base / ("hive-fuzz-" + std::to_string(random()) + std::to_string(random()));
    g_device = g_folder / "device";
    fs::create_directories(g_device);
    MakeTemplate();
    // Registered after the registry's own state exists, so that it runs before that goes.
    std::atexit([] {
        platform::CloseRegistry();
        std::error_code ec;
        fs::remove_all(g_folder, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MakeHive(data, size);
    if (!platform::RegistryProblem().empty()) {
        // A refused hive stays refused, and the tool says so.
        HKEY key = nullptr;
        Check(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", &key) != ERROR_SUCCESS);
        Export();
    } else {
        int walked = 0;
        Walk(HKEY_CURRENT_USER, 0, walked);
        Export();
        Write();
    }
    // What the run opened is freed within it, so that libFuzzer's count of allocations
    // against frees does not take the registry's caches for a leak and run the input again.
    platform::CloseRegistry();
    return 0;
}
