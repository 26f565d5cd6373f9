#include "CSettingPSheet.h"

#include <platform/CWinApp.h>

CSettingPSheet::CSettingPSheet(LPCWSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage) {
    AddPage(&m_page1);
    AddPage(&m_page2);
}

void CSettingPSheet::SetView(CTovaloView* pView) {
    m_page1.m_pView = pView;
    m_page2.m_pView = pView;
}

BOOL CSettingPSheet::OnInitDialog() {
    CPropertySheet::OnInitDialog();
    // The sheet takes the frame's place, below the title area.
    if (CWnd* frame = AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr;
        frame && frame->GetSafeHwnd()) {
        RECT place;
        frame->GetWindowRect(&place);
        RECT own;
        GetWindowRect(&own);
        MoveWindow(place.left, place.top, own.right - own.left, own.bottom - own.top);
    }
    // Text can be typed on the pages.
    if (HWND button = FindWindowW(nullptr, u"MS_SIPBUTTON"))
        ::ShowWindow(button, SW_SHOW);
    return TRUE;
}
