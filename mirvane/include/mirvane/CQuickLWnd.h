#pragma once

#include <mirvane/mirvane_export.h>

#include <ostrel/CGetQLIconInfo.h>

#include <platform/CDC.h>
#include <platform/CWnd.h>

// The quick-launch bar: up to 15 small program icons in cells of 20 x 20, three to a row,
// 25 pixels apart, over the skin. A tap started and ended in one cell starts its program;
// the pressed cell shows its icon enlarged on black until the stylus is lifted.
class MIRVANE_EXPORT CQuickLWnd : public CWnd {
public:
    static constexpr int kCells = 15;

    CQuickLWnd() = default;
    ~CQuickLWnd() override;

    void SetListPtr(CGetQLIconInfo* pList) { m_pList = pList; }
    // Takes the skin under the window from the parent's surface and draws the bar.
    void MakeInitWnd(CDC& dcParent, CRect rcWnd);
    // Redraws the bar from the list and shows it.
    void DrawList();
    // A two-tone line on the compose surface, in the selected pen's style and width: the dark
    // tone along the points, the light one a pixel below (nKind 1000) or to the right.
    void DrawLine(CPoint ptFrom, CPoint ptTo, DWORD nKind);

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnPaint();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);

    DECLARE_MESSAGE_MAP()

    CDC m_dcCompose;
    CBitmap m_bmpCompose;
    CDC m_dcBack;
    CBitmap m_bmpBack;
    CDC m_dcRest;
    CBitmap m_bmpRest;
    CGetQLIconInfo* m_pList = nullptr;
    CRect m_rcClient;
    CRect m_rcCells[kCells];
    int m_nPressed = -1;

private:
    void FreeSurfaces();
    int EntryCount() const;
    void ShowCell(const CRect& rcCell);
};
