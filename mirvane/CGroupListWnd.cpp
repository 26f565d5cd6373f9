#include <mirvane/CGroupListWnd.h>

#include "LabelFit.h"
#include "RimTrig.h"
#include "RimWalk.h"
#include "Surface.h"

#include <algorithm>
#include <cmath>

using mirvane::FrameOffset;
using mirvane::RimWalk;
using mirvane::Walk;

namespace {

constexpr int kArrowColumn = 15; // the arrows' column at the right edge, and their size
constexpr int kBandLeft = 10;
constexpr int kLabelMargin = 20; // labels wider than the wheel less this are cut
constexpr int kMaxSlots = 8;     // strip rectangles held
constexpr int kUserTurnFrames = 5;
constexpr DWORD kBandOpacity = 130;
constexpr COLORREF kBandColor = RGB(180, 102, 242);
constexpr COLORREF kArrowKeyColor = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

bool LoadArrow(CBitmap& bitmap, const CString& strPath) {
    HBITMAP hBitmap = SHLoadDIBitmap(strPath);
    return hBitmap && bitmap.Attach(reinterpret_cast<HGDIOBJ>(hBitmap));
}

} // namespace

BEGIN_MESSAGE_MAP(CGroupListWnd, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

CGroupListWnd::CGroupListWnd(int nBandHeight, int nSlots, int bSkinBack)
    : m_nBandHeight(nBandHeight), m_nSlots(std::clamp(nSlots, 1, kMaxSlots)), m_nMaxSlots(m_nSlots),
      m_bSkinBack(bSkinBack) {}

CGroupListWnd::~CGroupListWnd() {
    FreeSurfaces();
}

void CGroupListWnd::FreeSurfaces() {
    m_dcBand.DeleteDC();
    m_dcArrowDown.DeleteDC();
    m_dcArrowUp.DeleteDC();
    m_dcCompose.DeleteDC();
    m_dcBack.DeleteDC();
    m_bmpBand.DeleteObject();
    m_bmpArrowDown.DeleteObject();
    m_bmpArrowUp.DeleteObject();
    m_bmpCompose.DeleteObject();
    m_bmpBack.DeleteObject();
}

int CGroupListWnd::GroupCount() const {
    return m_pList ? m_pList->m_List.GetCount() : 0;
}

int CGroupListWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (!MakeSurfaces()) {
        // Nothing half made is left to draw on.
        FreeSurfaces();
        return -1;
    }
    return 0;
}

bool CGroupListWnd::MakeSurfaces() {
    GetClientRect(&m_rcClient);
    const int nWidth = m_rcClient.Width();
    const int nHeight = m_rcClient.Height();
    CClientDC dc(this);

    if (!mirvane::MakeSurface(m_dcCompose, m_bmpCompose, &dc, nWidth, nHeight + m_nBandHeight))
        return false;
    m_dcCompose.FillSolidRect(0, 0, nWidth, nHeight + m_nBandHeight, kWhite);
    if (!mirvane::MakeSurface(m_dcBack, m_bmpBack, &dc, nWidth, nHeight))
        return false;

    m_rcList = m_rcClient;
    m_rcList.right = m_rcClient.right - kArrowColumn;
    const int nStrip = m_rcList.Height() / m_nSlots;
    for (int i = 0; i < m_nSlots; ++i)
        m_rcSlots[i] = CRect(m_rcList.left, m_rcList.top + i * nStrip, m_rcList.right,
                             m_rcList.top + (i + 1) * nStrip);

    // A missing or damaged arrow file leaves its surface empty; its tap area still works.
    const CString strDir = m_ModulePath.GetDirectory();
    if (!m_dcArrowUp.CreateCompatibleDC(&dc) || !m_dcArrowDown.CreateCompatibleDC(&dc))
        return false;
    if (LoadArrow(m_bmpArrowUp, strDir + u"\\Skin\\ArrowUp.BMP"))
        m_dcArrowUp.SelectObject(&m_bmpArrowUp);
    if (LoadArrow(m_bmpArrowDown, strDir + u"\\Skin\\ArrowDown.BMP"))
        m_dcArrowDown.SelectObject(&m_bmpArrowDown);

    m_nSlots = std::min(m_nMaxSlots, GroupCount());

    const int nBandWidth = m_rcList.Width() - kBandLeft;
    if (!mirvane::MakeSurface(m_dcBand, m_bmpBand, &dc, nBandWidth, m_nBandHeight))
        return false;
    m_dcBand.FillSolidRect(0, 0, nBandWidth, m_nBandHeight, kBandColor);
    return true;
}

void CGroupListWnd::MakeInitWnd(CDC& dcParent, CRect rcWnd) {
    if (!m_dcCompose.GetSafeHdc())
        return;
    const int nArrowX = m_rcList.right;
    const int nHeight = m_rcClient.Height();
    if (m_bSkinBack == 1) {
        m_dcBack.BitBlt(0, 0, rcWnd.Width(), rcWnd.Height(), &dcParent, rcWnd.left, rcWnd.top,
                        SRCCOPY);
        m_dcCompose.BitBlt(nArrowX, 0, kArrowColumn, nHeight, &m_dcBack, nArrowX, 0, SRCCOPY);
    } else {
        m_dcCompose.FillSolidRect(nArrowX, 0, kArrowColumn, nHeight, kWhite);
    }
    if (m_bmpArrowUp.GetSafeHandle())
        m_dcCompose.TransparentImage(nArrowX, 0, kArrowColumn, kArrowColumn, &m_dcArrowUp, 0, 0,
                                     kArrowColumn, kArrowColumn, kArrowKeyColor);
    if (m_bmpArrowDown.GetSafeHandle())
        m_dcCompose.TransparentImage(nArrowX, m_rcList.Height() - kArrowColumn, kArrowColumn,
                                     kArrowColumn, &m_dcArrowDown, 0, 0, kArrowColumn, kArrowColumn,
                                     kArrowKeyColor);
    m_rcArrowUp = CRect(nArrowX, m_rcList.top, nArrowX + kArrowColumn, m_rcList.top + kArrowColumn);
    m_rcArrowDown =
        CRect(nArrowX, m_rcList.bottom - kArrowColumn, nArrowX + kArrowColumn, m_rcList.bottom);
    InitDraw();
}

void CGroupListWnd::UpdateDrawList(int nCount) {
    m_nCurGroup = 0;
    m_nSlots = nCount < m_nMaxSlots ? nCount : m_nMaxSlots;
    if (!m_dcCompose.GetSafeHdc())
        return;
    m_dcCompose.FillSolidRect(&m_rcList, kWhite);
    InitDraw();
}

CRect CGroupListWnd::CalcRotateRect(int nRadius, double dAngle, int nCenterX, int nCenterY,
                                    int nWidth, int nHeight) {
    const int x = nCenterX + static_cast<int>(std::trunc(nRadius * mirvane::RimCos(dAngle)));
    const int y = nCenterY - static_cast<int>(std::trunc(nRadius * mirvane::RimSin(dAngle)));
    if (dAngle > 0)
        return CRect(x - nWidth, y, x, y + nHeight);
    if (dAngle == 0)
        return CRect(x - nWidth, y - nHeight / 2, x, y + nHeight / 2);
    return CRect(x - nWidth, y - nHeight, x, y);
}

void CGroupListWnd::ClearPicture() {
    if (m_bSkinBack == 1)
        m_dcCompose.BitBlt(0, 0, m_rcList.Width(), m_rcList.Height(), &m_dcBack, 0, 0, SRCCOPY);
    else
        m_dcCompose.FillSolidRect(0, 0, m_rcClient.Width(), m_rcClient.Height(), kWhite);
}

void CGroupListWnd::DrawBand() {
    // A label taller than the band surface stretches the plain strip rather than reading
    // past it.
    const int nSrcHeight = std::min<int>(m_rcBand.Height(), m_nBandHeight);
    m_AlphaBlend.DoAlphaBlend(&m_dcCompose, m_rcBand.left, m_rcBand.top, m_rcBand.Width(),
                              m_rcBand.Height(), &m_dcBand, 0, 0, m_rcBand.Width(), nSrcHeight,
                              kBandOpacity);
}

CGroupListWnd::Label CGroupListWnd::PlaceLabel(const GROUPICONDATA& group, double dAngle) {
    const auto* pEnd = std::find(std::begin(group.GroupName), std::end(group.GroupName), u'\0');
    const std::u16string_view name(group.GroupName, pEnd - group.GroupName);
    auto found = m_names.find(name);
    if (found == m_names.end()) {
        CString strName(name);
        NameLabel label;
        label.size = m_dcCompose.GetTextExtent(strName);
        const int nKeep = mirvane::FittedLength(label.size.cx, strName.GetLength(),
                                                m_rcList.Width() - kLabelMargin);
        label.text = platform::PreparedText(
            (nKeep < strName.GetLength() ? strName.Left(nKeep) : strName).str(), DT_RIGHT);
        found = m_names.emplace(std::u16string(name), std::move(label)).first;
    }
    const int nRadius = m_rcList.Height() / 2;
    const SIZE& size = found->second.size;
    return Label{&found->second, CalcRotateRect(nRadius, dAngle, m_rcList.right - nRadius, nRadius,
                                                size.cx, size.cy)};
}

void CGroupListWnd::DrawLabel(Label& label) {
    m_dcCompose.SetBkMode(TRANSPARENT);
    label.pName->text.Draw(m_dcCompose.m_hDC, &label.rc, DT_RIGHT);
}

void CGroupListWnd::ShowPicture() {
    CClientDC dc(this);
    dc.BitBlt(0, m_rcList.top, m_rcList.Width() + kArrowColumn, m_rcList.Height(), &m_dcCompose, 0,
              0, SRCCOPY);
}

void CGroupListWnd::InitDraw() {
    if (!m_dcCompose.GetSafeHdc())
        return;
    // The list may have changed since the names were laid out.
    m_names.clear();
    ClearPicture();
    const int nGroups = GroupCount();
    RimWalk walk(nGroups, m_nSlots, 0.0, Walk::Forward);
    bool bFirst = true;
    for (int j = 0; j < nGroups; ++j) {
        GROUPICONDATA group = j == 0 ? m_pList->GetAtNext(m_nCurGroup) : m_pList->GetNext();
        auto angle = walk.Visit();
        if (!angle)
            continue;
        Label label = PlaceLabel(group, *angle);
        if (bFirst) {
            // The band marks the current group, the first label of the walk.
            m_rcBand = CRect(kBandLeft, label.rc.top, m_rcSlots[0].Width(), label.rc.bottom);
            DrawBand();
            bFirst = false;
        }
        DrawLabel(label);
    }
}

void CGroupListWnd::Rotate(int nFrames, bool bForward) {
    const int nGroups = GroupCount();
    if (nGroups == 0 || !m_dcCompose.GetSafeHdc())
        return;
    // A turn always shows at least its last picture.
    nFrames = std::max(nFrames, 1);
    const Walk walk = bForward ? Walk::Forward : Walk::Backward;
    for (int k = 1; k <= nFrames; ++k) {
        ClearPicture();
        RimWalk rim(nGroups, m_nSlots, FrameOffset(m_nSlots, nFrames, k, walk), walk);
        for (int j = 0; j < nGroups; ++j) {
            // Made in place from the list's answer: a record is large, and every frame walks
            // them all.
            const GROUPICONDATA group =
                j == 0
                    ? (bForward ? m_pList->GetAtNext(m_nCurGroup) : m_pList->GetAtPrev(m_nCurGroup))
                    : (bForward ? m_pList->GetNext() : m_pList->GetPrev());
            auto angle = rim.Visit();
            if (!angle)
                continue;
            Label label = PlaceLabel(group, *angle);
            // The band stays where it is while the group turning into the centre, the last
            // of the walk, passes over it.
            if (j == nGroups - 1)
                DrawBand();
            DrawLabel(label);
        }
        ShowPicture();
    }
    if (bForward) {
        m_pList->GetAtPrev(m_nCurGroup);
        m_pList->GetPrev();
        m_nCurGroup = m_nCurGroup <= 0 ? nGroups - 1 : m_nCurGroup - 1;
    } else {
        // The backward walk has left the cursor on the next group.
        m_nCurGroup = m_nCurGroup + 1 >= nGroups ? 0 : m_nCurGroup + 1;
    }
}

void CGroupListWnd::RotateDnList(int nFrames) {
    Rotate(nFrames, true);
}

void CGroupListWnd::RotateUpList(int nFrames) {
    Rotate(nFrames, false);
}

GROUPICONDATA CGroupListWnd::GetCurGroup() {
    if (GroupCount() == 0)
        return GROUPICONDATA{};
    return m_pList->GetIcon(m_nCurGroup);
}

void CGroupListWnd::OnPaint() {
    CPaintDC dc(this);
    if (!m_dcCompose.GetSafeHdc())
        return;
    dc.BitBlt(0, m_rcList.top, m_rcClient.Width(), m_rcList.Height(), &m_dcCompose, 0, 0, SRCCOPY);
}

void CGroupListWnd::TurnByUser(bool bToPrevious) {
    if (bToPrevious)
        RotateDnList(kUserTurnFrames);
    else
        RotateUpList(kUserTurnFrames);
    GROUPICONDATA group = m_pList->GetIcon(m_nCurGroup);
    if (CWnd* pParent = GetParent())
        pParent->SendMessage(bToPrevious ? kPrevGroupMessage : kNextGroupMessage,
                             static_cast<WPARAM>(group.IconCount), static_cast<LPARAM>(group.PK));
}

void CGroupListWnd::OnLButtonDown(UINT nFlags, CPoint point) {
    // A single group cannot turn; the tap is swallowed whole.
    if (GroupCount() < 2)
        return;
    if (m_rcArrowUp.PtInRect(point))
        TurnByUser(true);
    else if (m_rcArrowDown.PtInRect(point))
        TurnByUser(false);
    Default();
}

void CGroupListWnd::OnLButtonDblClk(UINT nFlags, CPoint point) {
    OnLButtonDown(nFlags, point);
}

void CGroupListWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (nChar == VK_LEFT || nChar == VK_RIGHT) {
        if (GroupCount() < 2)
            return;
        TurnByUser(nChar == VK_LEFT);
    }
    Default();
}
