// One key scroll of the program column (three pictures, each composed and copied to the
// window, pacing off) beside one plain copy of the window's whole picture, which composes
// nothing, with 7 and with 50 programs spread over 19 groups.
#include "BenchScreen.h"

#include <mirvane/CIconListWnd.h>

#include <bench/Ratios.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class BenchColumn : public CIconListWnd {
public:
    using CIconListWnd::CIconListWnd;
    void CopyWhole() {
        CClientDC dc(this);
        dc.BitBlt(0, 0, m_rcClient.Width(), m_rcClient.Height(), &m_dcCompose, 0, 0, SRCCOPY);
    }
};

struct Screen : mirvane::bench::BenchView {
    CGetExeIconInfo programs;
    BenchColumn column{40, 7, 1};

    explicit Screen(int count) : BenchView(RGB(230, 236, 244)) {
        std::vector<DWORD> pixels(32 * 32, 0xFF3070C0);
        for (int i = 0; i < count; ++i) {
            EXEICONDATA data;
            data.PK = i;
            data.GroupPosition = i * 19 / count;
            const std::u16string name =
                i % 3 == 0 ? u"Program with a long name " + std::u16string(1, u'A' + i % 26)
                           : u"Program " + std::u16string(1, u'A' + i % 26);
            std::copy(name.begin(), name.end(), data.IconName);
            data.hIcon = platform::CreateIconFromPixels(32, 32, pixels.data());
            programs.m_List.AddTail(data);
        }
        column.SetListPtr(&programs);
        const CRect placed(122, 7, 240, 294);
        column.Create(nullptr, u"ICONINFO", WS_CHILD | WS_VISIBLE, placed, &view, 3333);
        column.MakeInitWnd(skin, placed);
    }
    ~Screen() {
        for (int i = 0; i < programs.m_List.GetCount(); ++i)
            DestroyIcon(programs.GetIcon(i).hIcon);
    }
};

// Built once per size; main lets them go before the toolkit ends.
std::unique_ptr<Screen> g_screens[2];

Screen& ScreenOf(int count) {
    auto& screen = g_screens[count > 7 ? 1 : 0];
    if (!screen)
        screen = std::make_unique<Screen>(count);
    return *screen;
}

void KeyScroll(benchmark::State& state) {
    Screen& screen = ScreenOf(static_cast<int>(state.range(0)));
    for (auto _ : state)
        screen.column.SendMessage(WM_KEYDOWN, 0x28, 1);
}
BENCHMARK(KeyScroll)->Arg(7)->Arg(50)->Unit(benchmark::kMicrosecond);

void PlainWindowCopy(benchmark::State& state) {
    Screen& screen = ScreenOf(static_cast<int>(state.range(0)));
    for (auto _ : state)
        screen.column.CopyWhole();
}
BENCHMARK(PlainWindowCopy)->Arg(7)->Arg(50)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    bench::RunWithRatios(
        argc, argv,
        {{"KeyScroll/7", "PlainWindowCopy/7", 0}, {"KeyScroll/50", "PlainWindowCopy/50", 30}});
    for (auto& screen : g_screens)
        screen.reset();
}
