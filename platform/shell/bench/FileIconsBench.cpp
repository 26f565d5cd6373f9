#include <platform/Files.h>
#include <platform/Shell.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kPrograms = 50;

// A device folder with 50 application shortcuts, as a launcher's start-up loads them.
struct Device {
    Device() {
        std::string templ = (fs::temp_directory_path() / "tovalo-bench-XXXXXX").string();
        root = mkdtemp(templ.data());
        setenv("TOVALO_DEVICE", root.c_str(), 1);
        fs::path programs = root / "Windows" / "Start Menu" / "Programs";
        fs::create_directories(programs);
        const char* icons[] = {"text-editor", "web-browser", "utilities-terminal", "folder"};
        for (int i = 0; i < kPrograms; ++i) {
            std::string name = "app" + std::to_string(i);
            std::ofstream(programs / (name + ".desktop"))
                << "[Desktop Entry]\nType=Application\nName=" << name
                << "\nExec=true\nIcon=" << icons[i % 4] << "\n";
            std::string target = "\\Windows\\Start Menu\\Programs\\" + name + ".desktop";
            std::ofstream(programs / (name + ".lnk"))
                << target.size() + 2 << "#\"" << target << "\"";
        }
    }
    ~Device() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root;
};

Device& TheDevice() {
    static Device device;
    return device;
}

std::u16string Shortcut(int i) {
    std::string text = "\\Windows\\Start Menu\\Programs\\app" + std::to_string(i) + ".lnk";
    return std::u16string(text.begin(), text.end());
}

// What loading the programs costs: one large icon per shortcut, released again.
void LargeIconsOf50Shortcuts(benchmark::State& state) {
    TheDevice();
    for (auto _ : state) {
        for (int i = 0; i < kPrograms; ++i) {
            SHFILEINFO info;
            SHGetFileInfo(Shortcut(i).c_str(), 0, &info, sizeof(info), 0x300);
            DestroyIcon(info.hIcon);
        }
    }
}
BENCHMARK(LargeIconsOf50Shortcuts)->Unit(benchmark::kMillisecond);

// The floor: reading the same shortcut and entry files without making icons.
void BareReadsOf50Shortcuts(benchmark::State& state) {
    fs::path programs = TheDevice().root / "Windows" / "Start Menu" / "Programs";
    for (auto _ : state) {
        for (int i = 0; i < kPrograms; ++i) {
            std::string name = "app" + std::to_string(i);
            for (const char* ext : {".lnk", ".desktop"}) {
                std::ifstream in(programs / (name + ext));
                std::string text((std::istreambuf_iterator<char>(in)), {});
                benchmark::DoNotOptimize(text);
            }
        }
    }
}
BENCHMARK(BareReadsOf50Shortcuts)->Unit(benchmark::kMillisecond);

void EnumerateStartMenu(benchmark::State& state) {
    TheDevice();
    for (auto _ : state) {
        WIN32_FIND_DATAW data;
        HANDLE h = FindFirstFileW(u"\\Windows\\Start Menu\\Programs\\*.*", &data);
        int count = h != INVALID_HANDLE_VALUE;
        while (FindNextFileW(h, &data))
            ++count;
        FindClose(h);
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(EnumerateStartMenu)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
