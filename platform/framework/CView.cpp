#include <platform/CFrameWnd.h>

BEGIN_MESSAGE_MAP(CView, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL CView::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                   CWnd* pParentWnd, UINT nID, LPVOID pContext) {
    if (!CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext))
        return FALSE;
    // Keys go to the view, as they do when its frame is activated.
    SetFocus();
    return TRUE;
}

void CView::OnPaint() {
    CPaintDC dc(this);
    OnDraw(&dc);
}
