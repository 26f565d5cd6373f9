#include "CTovaloApp.h"

#include "Resources.h"

#include <platform/MessageBox.h>
#include <platform/Registry.h>

BOOL CTovaloApp::InitInstance() {
    // One launcher per device: a second start brings the first to the front and ends.
    if (HWND running = FindWindowW(nullptr, kFrameTitle)) {
        SetForegroundWindow(running);
        return FALSE;
    }
    // A store that cannot be used is said before anything is built: nothing is written, and
    // the program ends with a failure.
    if (const std::u16string problem = platform::RegistryProblemText(); !problem.empty()) {
        AfxMessageBox(CString(problem));
        m_nExitCode = 1;
        return FALSE;
    }
    // The store as this start finds it joins the backup history, unless it is unchanged.
    platform::BackUpRegistry(platform::BackupReason::Start);
    RegisterResources();
    m_pDoc = std::make_unique<CTovaloDoc>();
    m_pDoc->OnNewDocument();
    m_pFrame = std::make_unique<CMainFrame>();
    if (!m_pFrame->Create(nullptr, kFrameTitle, 0, RECT{0, 26, 240, 320}, nullptr, 0))
        return FALSE;
    m_pView = std::make_unique<CTovaloView>();
    CRect client;
    m_pFrame->GetClientRect(&client);
    if (!m_pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, client, m_pFrame.get(),
                         AFX_IDW_PANE_FIRST))
        return FALSE;
    m_pFrame->SetActiveView(m_pView.get());
    m_pView->OnInitialUpdate();
    m_pMainWnd = m_pFrame.get();
    m_pFrame->ShowWindow(SW_SHOW);
    m_pFrame->UpdateWindow();
    return TRUE;
}

int CTovaloApp::ExitInstance() {
    m_pView.reset();
    m_pFrame.reset();
    m_pDoc.reset();
    const int code = CWinApp::ExitInstance();
    return m_nExitCode != 0 ? m_nExitCode : code;
}
