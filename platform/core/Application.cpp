#include "core/Application.h"

#include "files/RuntimeFolder.h"

#include <QApplication>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

namespace platform::detail {

namespace {

bool g_nothingToShowOn = false;
bool g_noSessionBus = false;

std::string_view Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Where libdbus would find a session bus: the address, the user's bus socket, or a bus that
// dbus-launch started for this X display.
bool SessionBusReachable() {
    if (!Env("DBUS_SESSION_BUS_ADDRESS").empty())
        return true;
    if (const std::string_view runtime = Env("XDG_RUNTIME_DIR");
        !runtime.empty() && access((std::string(runtime) + "/bus").c_str(), F_OK) == 0)
        return true;
    const std::string_view path = Env("PATH");
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        const std::string folder(path.substr(start, end - start));
        if (!folder.empty() && access((folder + "/dbus-launch").c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

void EnsureApplication() {
    if (QCoreApplication::instance())
        return;
    if (Env("QT_QPA_PLATFORM").empty() && Env("DISPLAY").empty() &&
        Env("WAYLAND_DISPLAY").empty()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        g_nothingToShowOn = true;
    }
    // Without any session bus the toolkit's accessibility bridge would try to start one
    // through every folder of PATH; an address that cannot work makes it give up at once.
    // Programs the launcher starts get the environment as it was.
    g_noSessionBus = !SessionBusReachable();
    if (g_noSessionBus)
        setenv("DBUS_SESSION_BUS_ADDRESS", kNoSessionBus, 1);
    ProvideRuntimeFolder();
    static int argc = 1;
    static char name[] = "tovalo";
    static char* argv[] = {name, nullptr};
    // Lives for the rest of the process; Qt expects one application object.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

bool NoSessionBus() {
    return g_noSessionBus;
}

bool NothingToShowOn() {
    return g_nothingToShowOn;
}

} // namespace platform::detail
