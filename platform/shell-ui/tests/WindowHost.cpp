// Holds a top-level window with the given title for a while, as a running launcher does.
#include <platform/CWnd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    std::string title = argv[1];
    CWnd window;
    window.Create(nullptr, std::u16string(title.begin(), title.end()).c_str(), 0,
                  RECT{0, 26, 240, 320}, nullptr, 0);
    std::puts("ready");
    std::fflush(stdout);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
        platform::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}
