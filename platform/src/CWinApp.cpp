#include <platform/CWinApp.h>

#include "Application.h"
#include "WindowState.h"

#include <QEventLoop>

namespace {

CWinApp* g_app = nullptr;

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
    // A start that decides not to run (a second instance) ends quietly.
    if (!app.InitInstance())
        return 0;
    return app.Run();
}

} // namespace platform
