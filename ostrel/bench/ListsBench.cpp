// Loading 50 programs with their icons and one full turn of the cursor, each beside the bare
// registry reads of the same slots and a walk of a standard list.
#include <ostrel/CGetExeIconInfo.h>
#include <platform/Registry.h>

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

void BareSlotReads(benchmark::State& state) {
    PrepareStore();
    for (auto _ : state) {
        for (int i = 0; i < 50; ++i) {
            HKEY key = nullptr;
            std::u16string path =
                FormatString(u"Software\\NorviSoft\\NorviLuncher\\EXEs\\EXEs%d", i);
            RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), &key);
            WCHAR buffer[130];
            DWORD size = sizeof(buffer);
            RegQueryValueExW(key, u"IconPath", nullptr, reinterpret_cast<BYTE*>(buffer), &size);
            RegCloseKey(key);
        }
    }
}
BENCHMARK(BareSlotReads)->Unit(benchmark::kMicrosecond);

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
