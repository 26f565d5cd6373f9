#pragma once

#include <platform/CDC.h>
#include <platform/CWnd.h>

inline constexpr UINT ID_APP_EXIT = 57665;
inline constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;

class CView;

// A top-level frame holding one view that fills its client area. On a screen of the device's
// size (240 x 320) the frame lies below the 26-pixel title bar; on a larger desktop it is a
// fixed-size window. ID_APP_EXIT sends the frame a close request, which destroys it.
class PLATFORM_EXPORT CFrameWnd : public CWnd {
public:
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, LPVOID pContext = nullptr) override;
    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pView) { m_pViewActive = pView; }

protected:
    void OnClose();
    void OnSize(UINT nType, int cx, int cy);
    void OnAppExit();
    DECLARE_MESSAGE_MAP()

    CView* m_pViewActive = nullptr;
};

// A child window filling its frame's client area; painting goes to OnDraw.
class PLATFORM_EXPORT CView : public CWnd {
public:
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, LPVOID pContext = nullptr) override;
    virtual void OnInitialUpdate() {}

protected:
    virtual void OnDraw(CDC* pDC) = 0;
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};

class PLATFORM_EXPORT CDocument {
public:
    virtual ~CDocument() = default;
    virtual BOOL OnNewDocument() { return TRUE; }
};
