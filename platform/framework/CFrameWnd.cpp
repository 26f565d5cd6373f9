#include <platform/CFrameWnd.h>

#include "windows/FramePlacement.h"
#include "windows/WindowState.h"

using platform::detail::WindowState;

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CLOSE()
ON_WM_SIZE()
ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

BOOL CFrameWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT&,
                       CWnd*, UINT nID, LPVOID pContext) {
    using namespace platform::detail;
    // A frame is always top-level with the device's geometry, whatever was asked for.
    const RECT placed{0, kTitleBarHeight, kFrameWidth, kTitleBarHeight + kFrameHeight};
    if (!CWnd::Create(lpszClassName, lpszWindowName, dwStyle & ~WS_VISIBLE, placed, nullptr, nID,
                      pContext))
        return FALSE;
    if (WindowState* state = WindowState::Of(m_hWnd))
        PlaceFrame(state->widget);
    if (!m_hWnd)
        return FALSE;
    RECT client;
    GetClientRect(&client);
    SendMessage(WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    if (m_hWnd && (dwStyle & WS_VISIBLE))
        ShowWindow(SW_SHOW);
    return m_hWnd ? TRUE : FALSE;
}

void CFrameWnd::OnClose() {
    DestroyWindow();
}

void CFrameWnd::OnSize(UINT, int, int) {
    // The view takes the client area as it is: a size message may carry no size at all (a
    // rewritten close request).
    CWnd* view = m_pViewActive;
    if (!view) {
        // The pane that fills the frame, when no view was made active.
        if (WindowState* state = WindowState::Of(m_hWnd))
            for (HWND child : state->children)
                if (CWnd* wnd = CWnd::FromHandle(child);
                    wnd && wnd->GetDlgCtrlID() == AFX_IDW_PANE_FIRST)
                    view = wnd;
    }
    if (!view || !view->GetSafeHwnd())
        return;
    RECT client;
    GetClientRect(&client);
    RECT placed;
    view->GetWindowRect(&placed);
    if (placed != client)
        view->MoveWindow(0, 0, client.right, client.bottom);
}

void CFrameWnd::OnAppExit() {
    // Sent, not posted: a posted close request is the program's to filter.
    SendMessage(WM_CLOSE);
}
