// Start-up costs of the store beside the same number of bare SQLite statements on this
// machine: InitRegistry on an empty hive, reading all 85 slots, and one value write.
#include <ostrel/CPXRegData.h>
#include <platform/Registry.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double MedianMicros(int runs, const std::function<void()>& setup,
                    const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        setup();
        auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A plain table with the hive's durability settings.
class BareDb {
public:
    explicit BareDb(const fs::path& file) {
        fs::remove(file);
        sqlite3_open(file.c_str(), &m_db);
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=FULL");
        Exec("CREATE TABLE v(k INTEGER, name TEXT, data BLOB, PRIMARY KEY(k, name))");
        sqlite3_prepare_v2(m_db, "INSERT OR REPLACE INTO v VALUES(?1, ?2, ?3)", -1, &m_insert,
                           nullptr);
        sqlite3_prepare_v2(m_db, "SELECT data FROM v WHERE k = ?1 AND name = ?2", -1, &m_select,
                           nullptr);
    }
    ~BareDb() {
        sqlite3_finalize(m_insert);
        sqlite3_finalize(m_select);
        sqlite3_close(m_db);
    }
    void Exec(const char* sql) { sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); }
    void Write(int key, const char* name) {
        int value = key;
        sqlite3_bind_int(m_insert, 1, key);
        sqlite3_bind_text(m_insert, 2, name, -1, SQLITE_STATIC);
        sqlite3_bind_blob(m_insert, 3, &value, sizeof(value), SQLITE_STATIC);
        sqlite3_step(m_insert);
        sqlite3_reset(m_insert);
    }
    void Read(int key, const char* name) {
        sqlite3_bind_int(m_select, 1, key);
        sqlite3_bind_text(m_select, 2, name, -1, SQLITE_STATIC);
        sqlite3_step(m_select);
        sqlite3_reset(m_select);
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_select = nullptr;
};

void Report(const char* what, double ours, double bare, int statements) {
    std::printf("%-34s %10.1f us   bare SQLite (%3d statements) %10.1f us   ratio %5.2f\n", what,
                ours, statements, bare, ours / bare);
}

} // namespace

int main() {
    fs::path device = fs::temp_directory_path() / ("tovalo-bench-" + std::to_string(getpid()));
    fs::create_directories(device);
    setenv("TOVALO_DEVICE", device.c_str(), 1);
    const int runs = 15;

    // The first start writes 158 values: 40 for the groups, 100 for the programs, 15 for the
    // quick-launch slots, the group name, the group count and the skin state.
    const int firstStartWrites = 20 * 2 + 1 + 1 + 1 + 50 * 2 + 15;
    double init = MedianMicros(
        runs, [] { RegDeleteKeyW(HKEY_CURRENT_USER, u"Software"); },
        [] { CPXRegData().InitRegistry(); });
    double initBare;
    {
        BareDb db(device / "bare.db");
        initBare = MedianMicros(
            runs, [&] { db.Exec("DELETE FROM v"); },
            [&] {
                for (int i = 0; i < firstStartWrites; ++i)
                    db.Write(i, "PK");
            });
    }
    Report("InitRegistry on an empty hive", init, initBare, firstStartWrites);

    // What a start-up reads: every group, program and quick-launch slot.
    CPXRegData store;
    const int slotReads = 20 + 50 + 15;
    double reads = MedianMicros(
        runs, [] {},
        [&] {
            for (int i = 0; i < 20; ++i)
                store.GetGroupData(i);
            for (int i = 0; i < 50; ++i)
                store.GetExeData(i);
            for (int i = 0; i < 15; ++i)
                store.GetQLData(i);
        });
    double readsBare;
    {
        BareDb db(device / "bare.db");
        for (int i = 0; i < slotReads; ++i)
            db.Write(i, "PK");
        readsBare = MedianMicros(
            runs, [] {},
            [&] {
                for (int i = 0; i < slotReads; ++i)
                    db.Read(i, "GroupName");
            });
    }
    Report("reading all 85 slots", reads, readsBare, slotReads);

    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\NorviSoft\\NorviLuncher", &key);
    int value = 0;
    double write = MedianMicros(
        runs * 4, [] {},
        [&] {
            ++value;
            RegSetValueExW(key, u"SetKey", REG_DWORD, reinterpret_cast<BYTE*>(&value), 4);
        });
    RegCloseKey(key);
    double writeBare;
    {
        BareDb db(device / "bare.db");
        writeBare = MedianMicros(
            runs * 4, [] {}, [&] { db.Write(1, "SetKey"); });
    }
    Report("one RegSetValueExW", write, writeBare, 1);

    fs::remove_all(device);
    return 0;
}
