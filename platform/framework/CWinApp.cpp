#include <platform/CWinApp.h>

#include "core/Application.h"
#include "framework/ExitSignals.h"
#include "windows/WindowState.h"

#include <platform/CFrameWnd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

CWinApp* g_app = nullptr;

// The program's way out, as its "Exit" command takes it.
void ExitInOrder(CWinApp& app) {
    if (app.m_pMainWnd && app.m_pMainWnd->GetSafeHwnd())
        app.m_pMainWnd->SendMessage(WM_COMMAND, ID_APP_EXIT, 0);
}

// With TOVALO_SNAPSHOT naming a PNG file, the program saves its first screen there and ends
// in order, as "Exit" does: how a machine without a display shows what the launcher draws.
int Snapshot(CWinApp& app, const char* path) {
    using platform::detail::WindowState;
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    bool saved = false;
    if (WindowState* state = app.m_pMainWnd ? WindowState::Of(*app.m_pMainWnd) : nullptr)
        if (state->widget)
            saved = state->widget->grab().save(QString::fromLocal8Bit(path), "PNG");
    if (!saved)
        std::fprintf(stderr, "tovalo: could not save the first screen to %s\n", path);
    ExitInOrder(app);
    const int code = app.ExitInstance();
    return saved ? code : 1;
}

std::string ProgramName(int argc, char** argv) {
    if (argc < 1 || !argv || !argv[0] || !*argv[0])
        return "tovalo";
    return std::filesystem::path(argv[0]).filename().string();
}

} // namespace

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

int CWinApp::Run() {
    using platform::detail::WindowState;
    WindowState* state = m_pMainWnd ? WindowState::Of(m_pMainWnd->GetSafeHwnd()) : nullptr;
    if (state && state->widget) {
        // The loop lasts as long as the main window: its widget goes when the window is
        // destroyed.
        QEventLoop loop;
        QObject::connect(state->widget.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
        // Asked to end from outside: what runs modally is taken down first, one window at a
        // time as each unwinds, then the loop ends and the program exits in order.
        QTimer closing;
        int attempts = 0;
        QObject::connect(&closing, &QTimer::timeout, &loop, [&] {
            if (++attempts < 100 && platform::detail::CloseModalWindow())
                return;
            closing.stop();
            loop.quit();
        });
        platform::detail::ExitSignals requests([&] { closing.start(10); });
        loop.exec();
        ExitInOrder(*this);
    }
    return ExitInstance();
}

CWinApp* AfxGetApp() {
    return g_app;
}

namespace platform {

int RunApplication(CWinApp& app, int argc, char** argv) {
    const std::string name = ProgramName(argc, argv);
    const char* snapshot = std::getenv("TOVALO_SNAPSHOT");
    const bool saving = snapshot && *snapshot;
    detail::EnsureApplication();
    // A program nobody can see would hold the device for ever.
    if (!saving && detail::NothingToShowOn()) {
        std::fprintf(stderr,
                     "%s: no display to show the launcher on: neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set.\n"
                     "Set TOVALO_SNAPSHOT to a PNG file name to save the first screen there "
                     "instead.\n",
                     name.c_str());
        return 1;
    }
    // A start that decides not to run ends with what ExitInstance says, as the framework
    // does: quietly for a second instance, with a failure for a start that could not be made.
    if (!app.InitInstance()) {
        const int code = app.ExitInstance();
        if (!saving)
            return code;
        std::fprintf(stderr, "%s: not started, no first screen saved to %s\n", name.c_str(),
                     snapshot);
        return code != 0 ? code : 1;
    }
    if (saving)
        return Snapshot(app, snapshot);
    return app.Run();
}

} // namespace platform
