#pragma once

#include <platform/CWnd.h>

#include "windows/WindowState.h"

#include <testsupport/DeviceFolder.h>

#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace frameworktest {

struct Record {
    std::string window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    friend bool operator==(const Record&, const Record&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Record& r) {
        return os << r.window << ":0x" << std::hex << r.message << std::dec << "(" << r.wParam
                  << "," << r.lParam << ")";
    }
};

using Records = std::vector<Record>;
inline Records g_log;

// The toolkit's widget of a live window; null for a stale handle.
inline QWidget* WidgetOf(HWND hWnd) {
    auto* state = platform::detail::WindowState::Of(hWnd);
    return state ? state->widget.data() : nullptr;
}

class FrameworkTest : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        g_log.clear();
        // The offscreen platform, chosen as CTest chooses it: a program whose platform fell
        // back on it for want of a display refuses to run.
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }

    // Makes the offscreen screen the device's 240 x 320 one. Works only before the
    // application object exists, so only in a test's own process.
    bool UseDeviceScreen() {
        if (!QGuiApplication::instance()) {
            const auto config = Device() / "device-screen.json";
            std::ofstream(config) << R"({"screens": [{"name": "device", "x": 0, "y": 0,)"
                                  << R"( "width": 240, "height": 320, "logicalDpi": 96,)"
                                  << R"( "logicalBaseDpi": 96, "dpr": 1}]})";
            setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str(), 1);
        }
        platform::PumpMessages();
        CWnd probe; // makes the application object
        probe.Create(nullptr, u"probe", 0, RECT{0, 0, 1, 1}, nullptr, 0);
        QScreen* screen = QGuiApplication::primaryScreen();
        return screen && screen->geometry().size() == QSize(240, 320);
    }
};

} // namespace frameworktest
