#pragma once

#include <platform/CGdiObject.h>
#include <platform/CString.h>
#include <platform/Geometry.h>

class CWnd;

// The framework's drawing surface. A CDC made with CreateCompatibleDC owns its surface and
// deletes it when destroyed; CClientDC and CPaintDC borrow a window's surface.
class PLATFORM_EXPORT CDC {
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC();

    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();
    BOOL Attach(HDC hDC);
    HDC Detach();
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    // A wrapper that does not own the surface, kept while the surface lives.
    static CDC* FromHandle(HDC hDC);

    // Selecting returns the object selected before, as a wrapper that does not own it.
    CBitmap* SelectObject(CBitmap* pBitmap);
    CPen* SelectObject(CPen* pPen);
    HGDIOBJ SelectObject(HGDIOBJ hObject);
    CPen* GetCurrentPen() const;
    CBitmap* GetCurrentBitmap() const;

    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                DWORD dwRop);
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, DWORD dwRop);
    BOOL TransparentImage(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                          int nSrcWidth, int nSrcHeight, COLORREF crTransparent);
    void FillSolidRect(LPCRECT lpRect, COLORREF clr);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF clr);
    void FillRect(LPCRECT lpRect, CBrush* pBrush);
    BOOL DrawIcon(int x, int y, HICON hIcon);
    BOOL DrawIcon(POINT point, HICON hIcon);
    int DrawText(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat);
    int DrawText(const CString& str, LPRECT lpRect, UINT nFormat);
    // Width and height of one line of text.
    SIZE GetTextExtent(const CString& str) const;
    int SetBkMode(int nBkMode);
    COLORREF SetTextColor(COLORREF crColor);
    COLORREF SetBkColor(COLORREF crColor);
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT point) { return MoveTo(point.x, point.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT point) { return LineTo(point.x, point.y); }
    COLORREF GetPixel(int x, int y) const;
    COLORREF SetPixel(int x, int y, COLORREF crColor);

    HDC m_hDC = nullptr;

protected:
    bool m_bOwned = false;
};

class PLATFORM_EXPORT CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

private:
    HWND m_hWnd = nullptr;
};

class PLATFORM_EXPORT CPaintDC : public CClientDC {
public:
    explicit CPaintDC(CWnd* pWnd) : CClientDC(pWnd) {}
};
