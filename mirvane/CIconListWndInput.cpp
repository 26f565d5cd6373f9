#include <mirvane/CIconListWnd.h>

#include "ShellStart.h"

namespace {

constexpr int kScrollStep = 20;
constexpr DWORD kPressOpacity = 200;
constexpr int kPressInset = 3;
constexpr UINT kKeyUp = 0x26;
constexpr UINT kKeyDown = 0x28;
constexpr UINT kKeyAction = 0x0D;

} // namespace

void CIconListWnd::Start(const EXEICONDATA& data) {
    mirvane::StartProgram(data.IconPath);
}

void CIconListWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (Count() > 0) {
        if (nChar == kKeyUp) {
            ScrollBack();
        } else if (nChar == kKeyDown) {
            ScrollForward();
        } else if (nChar == kKeyAction) {
            m_pList->GetAtNext(m_nTopIndex);
            Start(m_pList->GetNext());
        }
    }
    Default();
}

void CIconListWnd::ScrollBack() {
    CClientDC dc(this);
    const int t = m_nTopIndex, h = m_nItemHeight;
    for (int s = 0; s <= h; s += kScrollStep) {
        DrawBackground();
        m_pList->GetAtPrev(t);
        int groupAbove = 0;
        for (int j = 0; j <= m_nRows; ++j) {
            EXEICONDATA data;
            if (j == 0) {
                data = m_pList->GetPrev();
                if (s == h)
                    m_nTopIndex = m_pList->GetCurIndex();
            } else if (j == 1) {
                data = m_pList->GetAtNext(t);
            } else {
                data = m_pList->GetNext();
            }
            DrawRow(data, (j - 1) * h + s, j == 0, groupAbove);
        }
        DrawBand();
        dc.BitBlt(0, 0, m_rcClient.Width(), m_nRows * h, &m_dcCompose, 0, 0, SRCCOPY);
    }
    m_pList->GetAtNext(m_nTopIndex);
    const EXEICONDATA selected = m_pList->GetNext();
    const EXEICONDATA before = m_pList->GetNext();
    if (selected.GroupPosition != before.GroupPosition)
        GetParent()->SendMessage(WM_GROUPCHANGED, 1, selected.GroupPosition);
}

void CIconListWnd::ScrollForward() {
    CClientDC dc(this);
    const int t = m_nTopIndex, h = m_nItemHeight;
    for (int s = 0; s <= h; s += kScrollStep) {
        DrawBackground();
        int groupAbove = 0;
        for (int j = 0; j <= m_nRows; ++j) {
            EXEICONDATA data;
            if (j == 0) {
                data = m_pList->GetAtNext(t);
            } else {
                data = m_pList->GetNext();
                if (j == 1 && s == h)
                    m_nTopIndex = m_pList->GetCurIndex();
            }
            DrawRow(data, j * h - s, j == 0, groupAbove);
        }
        DrawBand();
        dc.BitBlt(0, 0, m_rcClient.Width(), m_nRows * h, &m_dcCompose, 0, 0, SRCCOPY);
    }
    const EXEICONDATA before = m_pList->GetAtNext(m_nTopIndex);
    const EXEICONDATA selected = m_pList->GetNext();
    if (selected.GroupPosition != before.GroupPosition)
        GetParent()->SendMessage(WM_GROUPCHANGED, 0, selected.GroupPosition);
}

void CIconListWnd::OnLButtonDown(UINT nFlags, CPoint point) {
    SetCapture();
    for (int i = 0; i < m_nRows; ++i) {
        const CRect& row = m_pRowRects[i];
        if (!row.PtInRect(point))
            continue;
        m_nPressedRow = i;
        CClientDC dc(this);
        m_AlphaBlend.DoAlphaBlend(&dc, row.left, row.top + kPressInset, m_rcClient.Width(),
                                  m_nItemHeight - kPressInset, &m_dcBand, 0, 0, m_rcClient.Width(),
                                  m_nItemHeight, kPressOpacity);
    }
    Default();
}

void CIconListWnd::OnLButtonUp(UINT nFlags, CPoint point) {
    if (m_nPressedRow != -1) {
        const CRect row = m_pRowRects[m_nPressedRow];
        InvalidateRect(&row);
        if (row.PtInRect(point) && Count() > 0) {
            EXEICONDATA data = m_pList->GetAtNext(m_nTopIndex);
            for (int i = 0; i < m_nPressedRow; ++i)
                data = m_pList->GetNext();
            Start(data);
        }
        m_nPressedRow = -1;
    }
    ReleaseCapture();
    Default();
}

void CIconListWnd::MoveNextGroup(int nCount, int nForward, int nGroupKey) {
    const int count = Count();
    if (count == 0 || nCount == 0 || nCount == count)
        return;
    // Found before anything is drawn, so that a group without programs changes nothing:
    // the search gives up after one full turn of the list.
    int top = m_nTopIndex;
    if (nForward == 0) {
        EXEICONDATA p = m_pList->GetAtPrev(m_nTopIndex);
        for (int steps = 0; p.GroupPosition != nGroupKey; p = m_pList->GetPrev())
            if (++steps > count)
                return;
        for (int i = 0; i < nCount; ++i)
            m_pList->GetPrev();
        top = m_pList->GetCurIndex();
    } else {
        m_pList->GetAtNext(m_nTopIndex);
        EXEICONDATA p = m_pList->GetNext();
        for (int steps = 0; p.GroupPosition != nGroupKey; p = m_pList->GetNext())
            if (++steps > count)
                return;
        m_pList->GetAtPrev(m_pList->GetCurIndex());
        m_pList->GetPrev();
        top = m_pList->GetCurIndex();
    }
    m_nTopIndex = top;
    DrawBackground();
    int groupAbove = 0;
    for (int i = 0; i < m_nRows; ++i) {
        const EXEICONDATA data = i == 0 ? m_pList->GetAtNext(m_nTopIndex) : m_pList->GetNext();
        DrawRow(data, i * m_nItemHeight, i == 0, groupAbove);
    }
    DrawBand();
    CClientDC dc(this);
    dc.BitBlt(0, m_rcList.top, m_rcList.Width(), m_rcList.Height(), &m_dcCompose, 0, 0, SRCCOPY);
}
