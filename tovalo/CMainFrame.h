#pragma once

#include "CSettingPSheet.h"

#include <platform/CFrameWnd.h>
#include <platform/CMenu.h>
#include <platform/Tray.h>

// The full-screen frame titled "Tovalo": the tray icon and its menu, and the close filter
// that hides the frame instead of closing it.
class CMainFrame : public CFrameWnd {
public:
    CMainFrame();
    ~CMainFrame() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CMenu m_Menu;
    NOTIFYICONDATA m_TrayIcon;
    // The launcher's own icon, which desktops show for its window.
    HICON m_hIcon = nullptr;
    CSettingPSheet* m_pSettingSheet = nullptr;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnDestroy();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnSetting();
    void OnView();
    void OnUpdateView(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};

inline constexpr const WCHAR* kFrameTitle = u"Tovalo";
