#include <platform/CWinApp.h>

#include "core/Application.h"
#include "windows/WindowState.h"

#include <platform/CFrameWnd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

namespace {

CWinApp* g_app = nullptr;

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
    if (app.m_pMainWnd && app.m_pMainWnd->GetSafeHwnd())
        app.m_pMainWnd->SendMessage(WM_COMMAND, ID_APP_EXIT, 0);
    const int code = app.ExitInstance();
    return saved ? code : 1;
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
        loop.exec();
    }
    return ExitInstance();
}

CWinApp* AfxGetApp() {
    return g_app;
}

namespace platform {

int RunApplication(CWinApp& app, int, char**) {
    detail::EnsureApplication();
    // A start that decides not to run ends with what ExitInstance says, as the framework
    // does: quietly for a second instance, with a failure for a start that could not be made.
    if (!app.InitInstance())
        return app.ExitInstance();
    if (const char* snapshot = std::getenv("TOVALO_SNAPSHOT"); snapshot && *snapshot)
        return Snapshot(app, snapshot);
    return app.Run();
}

} // namespace platform
