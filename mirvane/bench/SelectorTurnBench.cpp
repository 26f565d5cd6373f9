// One turn of the group selector (five pictures, each composed and copied to the window)
// beside one plain copy of the window's whole picture, with 19 groups; the turn's counter
// "copies" says how many plain copies one turn costs.
#include "BenchScreen.h"

#include <mirvane/CGroupListWnd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

class BenchSelector : public CGroupListWnd {
public:
    using CGroupListWnd::CGroupListWnd;
    // The copy every picture of a turn ends with.
    void CopyWhole() {
        CClientDC dc(this);
        dc.BitBlt(0, 0, m_rcClient.Width(), m_rcClient.Height(), &m_dcCompose, 0, 0, SRCCOPY);
    }
};

std::filesystem::path DeviceFolder() {
    return std::filesystem::temp_directory_path() / ("tovalo-selector-" + std::to_string(getpid()));
}

struct Screen : mirvane::bench::BenchView {
    CGetGroupIconInfo groups;
    BenchSelector selector{20, 5, 1};

    Screen() : BenchView(RGB(90, 140, 200)) {
        auto device = std::filesystem::temp_directory_path() /
                      ("tovalo-selector-" + std::to_string(getpid()));
        std::filesystem::create_directories(device / "Windows");
        setenv("TOVALO_DEVICE", device.c_str(), 1);
        for (int i = 0; i < 19; ++i) {
            GROUPICONDATA group;
            group.PK = i;
            std::u16string name = u"Group " + std::u16string(1, u'A' + i);
            std::copy(name.begin(), name.end(), group.GroupName);
            groups.m_List.AddTail(group);
        }
        selector.SetListPtr(&groups);
        selector.Create(nullptr, u"GROUPWND", WS_CHILD | WS_VISIBLE, RECT{0, 13, 118, 123}, &view,
                        4444);
        selector.MakeInitWnd(skin, CRect(0, 13, 118, 123));
    }
};

Screen& TheScreen() {
    static auto* screen = new Screen; // lives until the process ends
    return *screen;
}

double PlainCopyNanoseconds() {
    return mirvane::bench::NanosecondsPer([] { TheScreen().selector.CopyWhole(); });
}

void WheelTurn(benchmark::State& state) {
    auto& screen = TheScreen();
    const double copy = PlainCopyNanoseconds();
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        screen.selector.RotateUpList(5);
    std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    state.counters["copies"] = spent.count() / static_cast<double>(state.iterations()) / copy;
}
BENCHMARK(WheelTurn)->Unit(benchmark::kMicrosecond);

void PlainWindowCopy(benchmark::State& state) {
    auto& screen = TheScreen();
    for (auto _ : state)
        screen.selector.CopyWhole();
}
BENCHMARK(PlainWindowCopy)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(DeviceFolder(), ec);
    return 0;
}
