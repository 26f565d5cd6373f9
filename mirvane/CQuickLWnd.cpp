#include <mirvane/CQuickLWnd.h>

#include "ShellStart.h"
#include "Surface.h"

#include <algorithm>

namespace {

constexpr int kColumns = 3;
constexpr int kCellSize = 20;
constexpr int kCellPitch = 25;
constexpr int kIconInset = 2;
constexpr int kIconSize = 16;
constexpr DWORD kHorizontalLine = 1000;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kLineDark = RGB(50, 21, 171);
constexpr COLORREF kLineLight = RGB(178, 149, 171);

} // namespace

BEGIN_MESSAGE_MAP(CQuickLWnd, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CQuickLWnd::~CQuickLWnd() {
    FreeSurfaces();
}

void CQuickLWnd::FreeSurfaces() {
    m_dcRest.DeleteDC();
    m_dcCompose.DeleteDC();
    m_dcBack.DeleteDC();
    m_bmpRest.DeleteObject();
    m_bmpCompose.DeleteObject();
    m_bmpBack.DeleteObject();
}

int CQuickLWnd::EntryCount() const {
    // One cell per entry; the list never holds more than the cells.
    return m_pList ? std::min(m_pList->m_List.GetCount(), kCells) : 0;
}

int CQuickLWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    GetClientRect(&m_rcClient);
    const int nWidth = m_rcClient.Width();
    const int nHeight = m_rcClient.Height();
    CClientDC dc(this);
    if (!mirvane::MakeSurface(m_dcCompose, m_bmpCompose, &dc, nWidth, nHeight) ||
        !mirvane::MakeSurface(m_dcBack, m_bmpBack, &dc, nWidth, nHeight) ||
        !mirvane::MakeSurface(m_dcRest, m_bmpRest, &dc, nWidth, nHeight)) {
        // Nothing half made is left to draw on.
        FreeSurfaces();
        return -1;
    }
    for (int i = 0; i < kCells; ++i) {
        const int x = kCellPitch * (i % kColumns);
        const int y = kCellPitch * (i / kColumns);
        m_rcCells[i] = CRect(x, y, x + kCellSize, y + kCellSize);
    }
    return 0;
}

void CQuickLWnd::MakeInitWnd(CDC& dcParent, CRect rcWnd) {
    if (!m_dcBack.GetSafeHdc())
        return;
    m_dcBack.BitBlt(0, 0, rcWnd.Width(), rcWnd.Height(), &dcParent, rcWnd.left, rcWnd.top, SRCCOPY);
    DrawList();
}

void CQuickLWnd::DrawList() {
    if (!m_dcCompose.GetSafeHdc())
        return;
    const int nWidth = m_rcClient.Width();
    const int nHeight = m_rcClient.Height();
    m_dcCompose.BitBlt(0, 0, nWidth, nHeight, &m_dcBack, 0, 0, SRCCOPY);
    const int nEntries = EntryCount();
    for (int i = 0; i < nEntries; ++i) {
        QLICONDATA entry = i == 0 ? m_pList->GetAtNext(0) : m_pList->GetNext();
        m_dcCompose.DrawIcon(m_rcCells[i].left + kIconInset, m_rcCells[i].top + kIconInset,
                             entry.hIcon);
    }
    CClientDC dc(this);
    dc.BitBlt(m_rcClient.left, m_rcClient.top, nWidth, nHeight, &m_dcCompose, 0, 0, SRCCOPY);
    m_dcRest.BitBlt(m_rcClient.left, m_rcClient.top, nWidth, nHeight, &m_dcCompose, 0, 0, SRCCOPY);
}

void CQuickLWnd::OnPaint() {
    CPaintDC dc(this);
    if (!m_dcCompose.GetSafeHdc())
        return;
    dc.BitBlt(0, 0, m_rcClient.Width(), m_rcClient.Height(), &m_dcCompose, 0, 0, SRCCOPY);
}

void CQuickLWnd::ShowCell(const CRect& rcCell) {
    CClientDC dc(this);
    dc.BitBlt(rcCell.left, rcCell.top, rcCell.Width(), rcCell.Height(), &m_dcCompose, rcCell.left,
              rcCell.top, SRCCOPY);
}

void CQuickLWnd::OnLButtonDown(UINT nFlags, CPoint point) {
    // The release must come back here even when the stylus leaves the bar.
    SetCapture();
    const int nEntries = EntryCount();
    for (int i = 0; i < nEntries; ++i) {
        const CRect& rc = m_rcCells[i];
        if (!rc.PtInRect(point))
            continue;
        m_nPressed = i;
        m_dcCompose.FillSolidRect(&rc, kBlack);
        m_dcCompose.StretchBlt(rc.left, rc.top, rc.Width(), rc.Height(), &m_dcRest,
                               rc.left + kIconInset, rc.top + kIconInset, kIconSize, kIconSize,
                               SRCCOPY);
        ShowCell(rc);
    }
    Default();
}

void CQuickLWnd::OnLButtonUp(UINT nFlags, CPoint point) {
    ReleaseCapture();
    if (m_nPressed == -1)
        return;
    const CRect rc = m_rcCells[m_nPressed];
    m_dcCompose.FillSolidRect(&rc, kBlack);
    m_dcCompose.BitBlt(rc.left, rc.top, rc.Width(), rc.Height(), &m_dcRest, rc.left, rc.top,
                       SRCCOPY);
    ShowCell(rc);
    // Lifting the stylus outside the pressed cell cancels the start.
    if (rc.PtInRect(point)) {
        const QLICONDATA entry = m_pList->GetIcon(m_nPressed);
        mirvane::StartProgram(entry.QLPath);
    }
    m_nPressed = -1;
    Default();
}

void CQuickLWnd::DrawLine(CPoint ptFrom, CPoint ptTo, DWORD nKind) {
    if (!m_dcCompose.GetSafeHdc())
        return;
    LOGPEN logPen;
    if (CPen* pCurrent = m_dcCompose.GetCurrentPen())
        pCurrent->GetLogPen(&logPen);
    const int nStyle = static_cast<int>(logPen.lopnStyle);
    const int nWidth = logPen.lopnWidth.x;

    CPen penDark(nStyle, nWidth, kLineDark);
    CPen* pOld = m_dcCompose.SelectObject(&penDark);
    m_dcCompose.MoveTo(ptFrom);
    m_dcCompose.LineTo(ptTo);
    if (pOld)
        m_dcCompose.SelectObject(pOld);

    const int dx = nKind == kHorizontalLine ? 0 : 1;
    const int dy = nKind == kHorizontalLine ? 1 : 0;
    CPen penLight(nStyle, nWidth, kLineLight);
    pOld = m_dcCompose.SelectObject(&penLight);
    m_dcCompose.MoveTo(ptFrom.x + dx, ptFrom.y + dy);
    m_dcCompose.LineTo(ptTo.x + dx, ptTo.y + dy);
    if (pOld)
        m_dcCompose.SelectObject(pOld);
}
