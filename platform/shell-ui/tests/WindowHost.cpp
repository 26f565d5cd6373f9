// Another program with a top-level window, as a running launcher is:
//   window_host TITLE           holds a window with that title for a while
//   window_host --single TITLE  starts as the launcher does: when such a window runs on the
//                               device, brings it to the front and ends ("second"); otherwise
//                               holds its own ("first")
#include <platform/CWnd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    const bool single = argc > 2 && std::strcmp(argv[1], "--single") == 0;
    if (argc < 2 || (argc > 2 && !single))
        return 2;
    const std::string name = argv[argc - 1];
    const std::u16string title(name.begin(), name.end());
    if (single) {
        if (HWND running = FindWindowW(nullptr, title.c_str())) {
            SetForegroundWindow(running);
            std::puts("second");
            return 0;
        }
    }
    CWnd window;
    window.Create(nullptr, title.c_str(), 0, RECT{0, 26, 240, 320}, nullptr, 0);
    std::puts(single ? "first" : "ready");
    std::fflush(stdout);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
        platform::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}
