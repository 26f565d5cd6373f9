#include <platform/CDC.h>
#include <platform/CWnd.h>

#include "gdi/GdiObjects.h"

#include <map>
#include <memory>

namespace {

std::map<HDC, std::unique_ptr<CDC>>& Temporary() {
    static std::map<HDC, std::unique_ptr<CDC>> map;
    return map;
}

} // namespace

CDC::~CDC() {
    if (m_bOwned)
        DeleteDC();
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    if (m_hDC)
        return FALSE;
    m_hDC = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
    m_bOwned = m_hDC != nullptr;
    return m_hDC ? TRUE : FALSE;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC)
        return FALSE;
    Temporary().erase(m_hDC);
    m_bOwned = false;
    return ::DeleteDC(std::exchange(m_hDC, nullptr));
}

BOOL CDC::Attach(HDC hDC) {
    if (m_hDC || !hDC)
        return FALSE;
    m_hDC = hDC;
    m_bOwned = true;
    return TRUE;
}

HDC CDC::Detach() {
    m_bOwned = false;
    return std::exchange(m_hDC, nullptr);
}

CDC* CDC::FromHandle(HDC hDC) {
    if (!hDC)
        return nullptr;
    auto& temporary = Temporary();
    if (auto it = temporary.find(hDC); it != temporary.end())
        return it->second.get();
    if (temporary.size() > 64)
        std::erase_if(temporary,
                      [](const auto& entry) { return !platform::detail::LookupDc(entry.first); });
    auto dc = std::make_unique<CDC>();
    dc->m_hDC = hDC;
    CDC* result = dc.get();
    temporary[hDC] = std::move(dc);
    return result;
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    if (!pBitmap)
        return nullptr;
    return CBitmap::FromHandle(reinterpret_cast<HBITMAP>(::SelectObject(m_hDC, *pBitmap)));
}

CPen* CDC::SelectObject(CPen* pPen) {
    if (!pPen)
        return nullptr;
    return CPen::FromHandle(reinterpret_cast<HPEN>(::SelectObject(m_hDC, *pPen)));
}

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject) {
    return ::SelectObject(m_hDC, hObject);
}

CPen* CDC::GetCurrentPen() const {
    return CPen::FromHandle(reinterpret_cast<HPEN>(::GetCurrentObject(m_hDC, OBJ_PEN)));
}

CBitmap* CDC::GetCurrentBitmap() const {
    return CBitmap::FromHandle(reinterpret_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                 DWORD dwRop) {
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                    dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                     int nSrcWidth, int nSrcHeight, DWORD dwRop) {
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                        nSrcWidth, nSrcHeight, dwRop);
}

BOOL CDC::TransparentImage(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                           int nSrcWidth, int nSrcHeight, COLORREF crTransparent) {
    return ::TransparentImage(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc,
                              ySrc, nSrcWidth, nSrcHeight, crTransparent);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr) {
    if (!lpRect)
        return;
    HBRUSH brush = ::CreateSolidBrush(clr);
    ::FillRect(m_hDC, lpRect, brush);
    ::DeleteObject(reinterpret_cast<HGDIOBJ>(brush));
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr) {
    const RECT r{x, y, x + cx, y + cy};
    FillSolidRect(&r, clr);
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) {
    if (pBrush)
        ::FillRect(m_hDC, lpRect, *pBrush);
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    return ::DrawIcon(m_hDC, x, y, hIcon);
}

BOOL CDC::DrawIcon(POINT point, HICON hIcon) {
    return ::DrawIcon(m_hDC, point.x, point.y, hIcon);
}

int CDC::DrawText(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
    return ::DrawTextW(m_hDC, lpszString, nCount, lpRect, nFormat);
}

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat) {
    return ::DrawTextW(m_hDC, str, str.GetLength(), lpRect, nFormat);
}

SIZE CDC::GetTextExtent(const CString& str) const {
    SIZE size;
    ::GetTextExtentPoint32W(m_hDC, str, str.GetLength(), &size);
    return size;
}

int CDC::SetBkMode(int nBkMode) {
    return ::SetBkMode(m_hDC, nBkMode);
}

COLORREF CDC::SetTextColor(COLORREF crColor) {
    return ::SetTextColor(m_hDC, crColor);
}

COLORREF CDC::SetBkColor(COLORREF crColor) {
    return ::SetBkColor(m_hDC, crColor);
}

CPoint CDC::MoveTo(int x, int y) {
    POINT previous;
    ::MoveToEx(m_hDC, x, y, &previous);
    return previous;
}

BOOL CDC::LineTo(int x, int y) {
    return ::LineTo(m_hDC, x, y);
}

COLORREF CDC::GetPixel(int x, int y) const {
    return ::GetPixel(m_hDC, x, y);
}

COLORREF CDC::SetPixel(int x, int y, COLORREF crColor) {
    return ::SetPixel(m_hDC, x, y, crColor);
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->GetSafeHwnd() : nullptr) {
    m_hDC = ::GetDC(m_hWnd);
}

CClientDC::~CClientDC() {
    if (m_hDC)
        ::ReleaseDC(m_hWnd, std::exchange(m_hDC, nullptr));
}
