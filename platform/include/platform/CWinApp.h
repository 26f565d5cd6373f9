#pragma once

#include <platform/CWnd.h>

// The framework's application object: InitInstance builds the main window, Run turns the
// message loop until the main window is destroyed, ExitInstance gives the exit code.
class PLATFORM_EXPORT CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    CWnd* m_pMainWnd = nullptr;
};

PLATFORM_EXPORT CWinApp* AfxGetApp();

namespace platform {

// InitInstance, then Run when it succeeded; ExitInstance either way. The process's exit code.
// Without a display (and no Qt platform chosen) it says so and gives 1, unless TOVALO_SNAPSHOT
// asks for the first screen as a picture. SIGTERM, SIGINT and SIGHUP end the program as its
// "Exit" command does.
PLATFORM_EXPORT int RunApplication(CWinApp& app, int argc, char** argv);

} // namespace platform
