#include <mirvane/CIconListWnd.h>

#include "Surface.h"

#include <platform/Files.h>

#include <algorithm>

namespace {

constexpr COLORREF kBandColor = RGB(252, 148, 54);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kBandHeight = 12;
constexpr DWORD kBandOpacity = 130;
// Icon column plus the gap before the label.
constexpr int kLabelLeft = 37;
constexpr int kLabelRightMargin = 5;
constexpr int kLabelRoomMargin = 42;
constexpr int kIconTop = 3;
// Folder links could otherwise make the start-menu walk endless.
constexpr int kMaxFolderDepth = 32;

} // namespace

BEGIN_MESSAGE_MAP(CIconListWnd, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_KEYDOWN()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CIconListWnd::CIconListWnd() = default;

CIconListWnd::CIconListWnd(int nItemHeight, int nMaxRows, int bSkinBack)
    : m_nTopIndex(0), m_nItemHeight(nItemHeight), m_nRows(nMaxRows), m_nMaxRows(nMaxRows),
      m_bSkinBack(bSkinBack), m_nPressedRow(-1) {}

CIconListWnd::~CIconListWnd() {
    m_dcBand.DeleteDC();
    m_dcCompose.DeleteDC();
    m_dcBack.DeleteDC();
    m_bmpBand.DeleteObject();
    m_bmpCompose.DeleteObject();
    m_bmpBack.DeleteObject();
    m_pRowRects.reset();
    DestroyWindow();
}

int CIconListWnd::Count() const {
    return m_pList ? m_pList->m_List.GetCount() : 0;
}

int CIconListWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    CClientDC display(this);
    GetClientRect(&m_rcClient);
    const int w = m_rcClient.Width(), h = m_rcClient.Height();
    // A window without its surfaces would draw into nothing: refuse it instead.
    if (!mirvane::MakeSurface(m_dcBack, m_bmpBack, &display, w, h) ||
        !mirvane::MakeSurface(m_dcBand, m_bmpBand, &display, w, m_nItemHeight) ||
        !mirvane::MakeSurface(m_dcCompose, m_bmpCompose, &display, w, h + m_nItemHeight))
        return -1;
    m_dcBand.FillSolidRect(0, 0, w, m_nItemHeight, kBandColor);
    SetRows(Count() < m_nRows ? Count() : m_nMaxRows);
    return 0;
}

void CIconListWnd::SetRows(int nRows) {
    m_nRows = std::max(nRows, 0);
    m_rcList = CRect(m_rcClient.left, m_rcClient.top, m_rcClient.right,
                     m_rcClient.top + m_nRows * m_nItemHeight);
    m_pRowRects = std::make_unique<CRect[]>(static_cast<std::size_t>(m_nRows));
    for (int i = 0; i < m_nRows; ++i)
        m_pRowRects[i] =
            CRect(m_rcList.left, m_rcList.top + i * m_nItemHeight, m_rcList.left + m_rcList.Width(),
                  m_rcList.top + (i + 1) * m_nItemHeight);
}

void CIconListWnd::MakeInitWnd(CDC& dcParent, CRect rcWnd) {
    if (m_bSkinBack == 1)
        m_dcBack.BitBlt(0, 0, rcWnd.Width(), rcWnd.Height(), &dcParent, rcWnd.left, rcWnd.top,
                        SRCCOPY);
    InitDraw();
}

void CIconListWnd::DrawBackground() {
    if (m_bSkinBack == 1)
        m_dcCompose.BitBlt(m_rcClient.left, m_rcClient.top, m_rcClient.Width(), m_rcClient.Height(),
                           &m_dcBack, 0, 0, SRCCOPY);
    else
        m_dcCompose.FillSolidRect(m_rcClient.left, m_rcClient.top, m_rcClient.Width(),
                                  m_rcClient.Height(), kWhite);
}

void CIconListWnd::DrawBand() {
    const int top = static_cast<int>(m_nItemHeight * 1.5) - 6;
    m_AlphaBlend.DoAlphaBlend(&m_dcCompose, m_rcList.left, top, m_rcClient.Width(), kBandHeight,
                              &m_dcBand, 0, 0, m_rcClient.Width(), kBandHeight, kBandOpacity);
}

void CIconListWnd::DrawRow(const EXEICONDATA& data, int y, bool bFirst, int& nGroupAbove) {
    DrawIconList(
        data, CPoint(m_rcList.left, y + kIconTop),
        CRect(m_rcList.left + kLabelLeft, y, m_rcClient.Width() - kLabelRightMargin, y + 6));
    if (!bFirst && data.GroupPosition != nGroupAbove)
        DrawGroupSep(CPoint(m_rcList.left, y));
    nGroupAbove = data.GroupPosition;
}

void CIconListWnd::InitDraw() {
    // The list may have changed since the labels were laid out.
    m_labels.clear();
    DrawBackground();
    const int count = Count();
    // An empty list shows its background alone; nothing is fetched from it.
    if (count == 0) {
        m_nTopIndex = 0;
        return;
    }
    m_pList->GetAtPrev(0);
    int groupAbove = 0;
    for (int i = 0; i < m_nRows; ++i) {
        const EXEICONDATA data = i == 0 ? m_pList->GetPrev() : m_pList->GetIcon(i - 1);
        DrawRow(data, i * m_nItemHeight, i == 0, groupAbove);
    }
    DrawBand();
    m_nTopIndex = count - 1;
}

const CIconListWnd::RowLabel& CIconListWnd::LabelOf(const WCHAR* pszName) {
    auto found = m_labels.find(pszName);
    if (found != m_labels.end())
        return found->second;
    RowLabel row;
    CString label(pszName);
    platform::PreparedText whole(label.str(), DT_LEFT | DT_TOP);
    row.measured = whole.Extent();
    const int tw = row.measured.cx;
    const int room = m_rcClient.Width() - kLabelRoomMargin;
    if (tw > room) {
        // Two lines, split where the average character width says the room ends.
        const int n = label.GetLength();
        const int average = std::max(tw / std::max(n, 1), 1);
        // However narrow the characters, the first line keeps at least nothing and the
        // second at most the whole label.
        const int surplus = std::min((tw - room) / average, n - 1);
        label = label.Left(n - surplus - 1) + u"\r\n" + label.Right(surplus + 1);
        row.bSplit = true;
    }
    // A label on one line is drawn as it was measured.
    row.text = row.bSplit ? platform::PreparedText(label.str(), DT_LEFT | DT_TOP) : whole;
    return m_labels.emplace(pszName, std::move(row)).first->second;
}

void CIconListWnd::DrawIconList(EXEICONDATA data, CPoint ptIcon, CRect rcLabel) {
    m_dcCompose.DrawIcon(ptIcon, data.hIcon);
    const RowLabel& label = LabelOf(data.IconName);
    // The measurement keeps the rectangle's left and top and sets its extent.
    const int th = label.measured.cy;
    rcLabel.right = rcLabel.left + label.measured.cx;
    rcLabel.bottom = rcLabel.top + th;
    if (!label.bSplit) {
        rcLabel.OffsetRect(0, (m_nItemHeight - th) / 2);
    } else {
        rcLabel.OffsetRect(0, (m_nItemHeight - 2 * th) / 2);
        rcLabel.right = rcLabel.left + label.text.Extent().cx;
        rcLabel.bottom = rcLabel.top + label.text.Extent().cy;
    }
    m_dcCompose.SetBkMode(TRANSPARENT);
    label.text.Draw(m_dcCompose.m_hDC, &rcLabel, DT_LEFT | DT_TOP);
}

void CIconListWnd::DrawGroupSep(CPoint pt) {
    LOGPEN logPen;
    CPen* current = m_dcCompose.GetCurrentPen();
    if (!current || !current->GetLogPen(&logPen))
        return;
    logPen.lopnStyle = PS_DASH;
    CPen dashed;
    if (!dashed.CreatePenIndirect(&logPen))
        return;
    CPen* previous = m_dcCompose.SelectObject(&dashed);
    m_dcCompose.MoveTo(pt);
    m_dcCompose.LineTo(pt.x + m_rcList.Width(), pt.y);
    m_dcCompose.SelectObject(previous);
    dashed.DeleteObject();
}

void CIconListWnd::UpdateDrawList(int nCount) {
    SetRows(nCount < m_nMaxRows ? nCount : m_nMaxRows);
    m_nTopIndex = 0;
    InitDraw();
}

void CIconListWnd::OnPaint() {
    CPaintDC dc(this);
    dc.BitBlt(0, m_rcClient.top, m_rcClient.Width(), m_rcClient.Height(), &m_dcCompose, 0, 0,
              SRCCOPY);
}

void CIconListWnd::MakeDefaultList(LPCWSTR lpszPattern) {
    SearchFolder(lpszPattern, 0);
}

bool CIconListWnd::SearchFolder(LPCWSTR lpszPattern, int nDepth) {
    if (!m_pList || !lpszPattern || nDepth > kMaxFolderDepth)
        return true;
    const CString pattern(lpszPattern);
    const int slash = pattern.ReverseFind(u'\\');
    const CString folder = pattern.Left(slash + 1);
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return true;
    bool room = true;
    do {
        const CString name(entry.cFileName);
        if (entry.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY) {
            room = SearchFolder(folder + name + u"\\*.*", nDepth + 1);
        } else if (entry.dwFileAttributes != (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE)) {
            const int dot = name.Find(u'.');
            m_pList->InsertExe(folder + name, dot < 0 ? CString() : name.Left(dot));
            // The store is full: the program was not stored, and no later one would be. It
            // leaves the list again, which must show what the next start finds, so that no
            // arrangement is made of programs that would be gone.
            room = m_pList->m_nNewPK >= 0;
            if (!room)
                m_pList->DeleteExe(m_pList->m_List.GetCount() - 1);
        }
    } while (room && FindNextFileW(find, &entry));
    FindClose(find);
    return room;
}
