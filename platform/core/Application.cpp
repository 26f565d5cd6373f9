#include "core/Application.h"

#include "files/RuntimeFolder.h"

#include <QApplication>

#include <cstdlib>

namespace platform::detail {

namespace {

bool g_nothingToShowOn = false;

} // namespace

void EnsureApplication() {
    if (QCoreApplication::instance())
        return;
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!qpa || !*qpa) && (!x11 || !*x11) && (!wayland || !*wayland)) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        g_nothingToShowOn = true;
    }
    ProvideRuntimeFolder();
    static int argc = 1;
    static char name[] = "tovalo";
    static char* argv[] = {name, nullptr};
    // Lives for the rest of the process; Qt expects one application object.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

bool NothingToShowOn() {
    return g_nothingToShowOn;
}

} // namespace platform::detail
