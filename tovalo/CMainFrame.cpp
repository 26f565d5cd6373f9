#include "CMainFrame.h"

#include "CTovaloView.h"
#include "Resources.h"

namespace {

constexpr DWORD kFullScreen = SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON;
constexpr int kFrameTop = 26;
constexpr int kFrameWidth = 240;
constexpr int kFrameHeight = 294;
// The tray menu hangs with its bottom-right corner here, on the device's screen.
constexpr POINT kMenuAnchor{220, 300};

} // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_DESTROY()
ON_MESSAGE(WM_TRAYNOTIFY, OnTrayNotify)
ON_COMMAND(ID_SETTING, OnSetting)
ON_COMMAND(ID_VIEW, OnView)
ON_UPDATE_COMMAND_UI(ID_VIEW, OnUpdateView)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame() {
    DestroyWindow();
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    SHFullScreen(m_hWnd, kFullScreen);
    if (!m_Menu.LoadMenu(IDR_MAINFRAME))
        return -1;
    m_TrayIcon.cbSize = sizeof m_TrayIcon;
    m_TrayIcon.hWnd = m_hWnd;
    m_TrayIcon.uID = ID_TRAY_ICON;
    m_TrayIcon.uFlags = NIF_MESSAGE | NIF_ICON;
    m_TrayIcon.uCallbackMessage = WM_TRAYNOTIFY;
    m_TrayIcon.hIcon = LoadImageW(nullptr, MAKEINTRESOURCE(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0);
    Shell_NotifyIcon(NIM_ADD, &m_TrayIcon);
    m_hIcon = LoadImageW(nullptr, MAKEINTRESOURCE(IDR_MAINFRAME), IMAGE_ICON, 48, 48, 0);
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_TrayIcon.hIcon, FALSE);
    return 0;
}

void CMainFrame::OnSize(UINT nType, int cx, int cy) {
    CFrameWnd::OnSize(nType, cx, cy);
    SHFullScreen(m_hWnd, kFullScreen);
    CRect client;
    GetClientRect(&client);
    if (client.Height() != kFrameHeight) {
        MoveWindow(0, kFrameTop, kFrameWidth, kFrameHeight, TRUE);
        Invalidate();
    }
}

void CMainFrame::OnDestroy() {
    Default();
    NOTIFYICONDATA remove = m_TrayIcon;
    remove.uFlags = 0;
    Shell_NotifyIcon(NIM_DELETE, &remove);
    SetIcon(nullptr, TRUE);
    SetIcon(nullptr, FALSE);
    DestroyIcon(m_TrayIcon.hIcon);
    m_TrayIcon.hIcon = nullptr;
    DestroyIcon(m_hIcon);
    m_hIcon = nullptr;
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg) {
    // A posted close request only hides the launcher; "Exit" is the way out.
    if (pMsg->message == WM_CLOSE) {
        pMsg->message = WM_SIZE;
        ShowWindow(SW_HIDE);
    }
    return CFrameWnd::PreTranslateMessage(pMsg);
}

LRESULT CMainFrame::OnTrayNotify(WPARAM, LPARAM) {
    if (HWND sheet = FindWindowW(nullptr, kSettingTitle)) {
        ::SetForegroundWindow(sheet);
        return 0;
    }
    if (CMenu* popup = m_Menu.GetSubMenu(0))
        popup->TrackPopupMenu(TPM_RIGHTALIGN | TPM_BOTTOMALIGN, kMenuAnchor.x, kMenuAnchor.y, this);
    return 1;
}

void CMainFrame::OnSetting() {
    auto* view = dynamic_cast<CTovaloView*>(GetActiveView());
    if (!view)
        return;
    view->RunSettingSheet(&m_pSettingSheet);
    view->RegisterSetKey();
    view->RegisterHideKey();
}

void CMainFrame::OnView() {
    ShowWindow(SW_SHOW);
    SetForegroundWindow();
}

void CMainFrame::OnUpdateView(CCmdUI* pCmdUI) {
    pCmdUI->SetText(u"View");
}
