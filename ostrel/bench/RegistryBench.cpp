// Start-up costs of the store beside the same number of bare SQLite statements on this
// machine: InitRegistry on an empty hive, reading all 85 slots, and one value write.
#include <ostrel/CPXRegData.h>
#include <platform/Registry.h>

#include <BareSqlite.h>

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

using BareDb = platform::bench::BareSqlite;

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
