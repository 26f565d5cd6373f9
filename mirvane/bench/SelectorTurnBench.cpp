// One turn of the group selector (five pictures, each composed and copied to the window)
// beside one plain copy of the window's whole picture, which composes nothing, with 19 groups.
#include "BenchScreen.h"

#include <mirvane/CGroupListWnd.h>

#include <bench/Ratios.h>

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

// Built once; main lets it go before the toolkit ends.
std::unique_ptr<Screen> g_screen;

Screen& TheScreen() {
    if (!g_screen)
        g_screen = std::make_unique<Screen>();
    return *g_screen;
}

void WheelTurn(benchmark::State& state) {
    auto& screen = TheScreen();
    for (auto _ : state)
        screen.selector.RotateUpList(5);
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
    bench::RunWithRatios(argc, argv, {{"WheelTurn", "PlainWindowCopy", 30}});
    g_screen.reset();
    std::error_code ec;
    std::filesystem::remove_all(DeviceFolder(), ec);
    return 0;
}
