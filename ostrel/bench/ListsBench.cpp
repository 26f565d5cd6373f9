// Loading 50 programs with their icons and one full turn of the cursor, each beside a
// baseline that does not use the code under test: bare SQLite reading the same 205 values
// with one statement each, and a walk of a standard list.
#include <ostrel/CGetExeIconInfo.h>

#include <BareSqlite.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <list>
#include <string>
#include <unistd.h>

namespace {

void PrepareStore() {
    static bool done = false;
    if (done)
        return;
    auto device =
        std::filesystem::temp_directory_path() / ("tovalo-lists-" + std::to_string(getpid()));
    std::filesystem::create_directories(device / "Windows" / "Favorites");
    setenv("TOVALO_DEVICE", device.c_str(), 1);
    CGetExeIconInfo list;
    list.InitReg();
    for (int i = 0; i < 50; ++i)
        list.InsertExe(u"\\Windows\\Start Menu\\Programs\\Program" +
                           CString(FormatString(u"%d", i)) + u".lnk",
                       FormatString(u"Program %d", i));
    done = true;
}

void LoadFiftyPrograms(benchmark::State& state) {
    PrepareStore();
    for (auto _ : state) {
        CGetExeIconInfo list;
        benchmark::DoNotOptimize(list.InitReg());
    }
}
BENCHMARK(LoadFiftyPrograms)->Unit(benchmark::kMicrosecond);

// What the load reads: the root key and 4 counters, 4 values of each of the 50 programs.
void BareSqliteReads(benchmark::State& state) {
    constexpr int kValues = 1 + 4 + 50 * 4;
    const auto file = std::filesystem::temp_directory_path() /
                      ("tovalo-lists-bare-" + std::to_string(getpid()) + ".db");
    platform::bench::BareSqlite db(file);
    for (int i = 0; i < kValues; ++i)
        db.Write(i, "Value");
    for (auto _ : state)
        for (int i = 0; i < kValues; ++i)
            db.Read(i, "Value");
    std::filesystem::remove(file);
}
BENCHMARK(BareSqliteReads)->Unit(benchmark::kMicrosecond);

void CursorTurn(benchmark::State& state) {
    PrepareStore();
    CGetExeIconInfo list;
    list.InitReg();
    for (auto _ : state) {
        list.GetAtNext(0);
        for (int i = 0; i < list.m_List.GetCount(); ++i)
            benchmark::DoNotOptimize(list.GetNext());
    }
}
BENCHMARK(CursorTurn);

void StdListWalk(benchmark::State& state) {
    std::list<EXEICONDATA> list(50);
    for (auto _ : state)
        for (const EXEICONDATA& e : list) {
            EXEICONDATA copy = e;
            benchmark::DoNotOptimize(copy);
        }
}
BENCHMARK(StdListWalk);

} // namespace

BENCHMARK_MAIN();
