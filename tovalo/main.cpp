#include "CTovaloApp.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "Usage: tovalo [--help | --version]\n"
    "\n"
    "A program launcher for small screens: a wheel of groups, a column of programs and a\n"
    "quick-launch bar. One launcher runs per device folder; a second start brings it to the\n"
    "front. It has no options; these variables change what it does:\n"
    "\n"
    "  TOVALO_DEVICE        the device folder (default $XDG_DATA_HOME/tovalo)\n"
    "  DISPLAY, WAYLAND_DISPLAY\n"
    "                       the display to show the launcher on; without one it stops\n"
    "  TOVALO_SNAPSHOT=FILE save the first screen to FILE as a PNG picture and stop, with or\n"
    "                       without a display\n"
    "  QT_QPA_PLATFORM      Qt's platform, as linuxfb for a 240 x 320 framebuffer\n";

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tovalo %s\n", TOVALO_VERSION);
            return 0;
        }
        std::fprintf(stderr, "tovalo: unknown argument '%s' (try tovalo --help)\n", argv[i]);
        return 2;
    }
    CTovaloApp app;
    return platform::RunApplication(app, argc, argv);
}
