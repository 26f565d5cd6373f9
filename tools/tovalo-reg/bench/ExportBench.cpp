// Export of one key holding many values beside a bare SQLite scan of as many rows written out
// as text lines: both should grow in step with the number of values.
#include "RegFileWriter.h"

#include <BareScan.h>
#include <platform/Registry.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path& Folder() {
    static const fs::path folder =
        fs::temp_directory_path() / ("tovalo-export-bench-" + std::to_string(::getpid()));
    return folder;
}

// Fills Software\Bench with n numbered values in one transaction, once per size.
void FillKey(int n) {
    static int filled = -1;
    if (filled == n)
        return;
    RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Bench");
    platform::RegistryTransaction transaction;
    platform::RegistryKey key(u"Software\\Bench", true);
    for (int i = 0; i < n; ++i) {
        std::u16string name = u"Value";
        for (char c : std::to_string(i))
            name += static_cast<char16_t>(c);
        DWORD value = static_cast<DWORD>(i);
        RegSetValueExW(key.Get(), name.c_str(), REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof value);
    }
    transaction.Commit();
    filled = n;
}

void Export(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    FillKey(n);
    for (auto _ : state) {
        tovaloreg::RegFileWriter writer;
        std::string error;
        if (!writer.WriteTree(u"Software\\Bench", error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(writer.Text().size());
    }
    state.SetComplexityN(n);
}

void BareScan(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    platform::bench::BareScan scan(Folder() / "bare.db", n);
    for (auto _ : state)
        benchmark::DoNotOptimize(scan.Scan().size());
    state.SetComplexityN(n);
}

BENCHMARK(Export)->Arg(8000)->Arg(80000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BareScan)
    ->Arg(8000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

int main(int argc, char** argv) {
    fs::create_directories(Folder());
    setenv("TOVALO_DEVICE", Folder().c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    platform::CloseRegistry();
    fs::remove_all(Folder());
    return 0;
}
