#pragma once

#include <platform/Gdi.h>

class CDC;

// The framework's drawing objects: each owns its handle and deletes it when destroyed.
class PLATFORM_EXPORT CGdiObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    virtual ~CGdiObject();

    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    int GetObject(int nCount, LPVOID lpObject) const;

    HGDIOBJ m_hObject = nullptr;

protected:
    // Wrappers made by FromHandle do not own their handle.
    bool m_bTemporary = false;
    template <class T> friend T* FromHandleOf(HGDIOBJ hObject);
};

class PLATFORM_EXPORT CBitmap : public CGdiObject {
public:
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    BOOL LoadBitmap(UINT nIDResource);
    int GetBitmap(BITMAP* pBitMap) const;
    operator HBITMAP() const { return reinterpret_cast<HBITMAP>(m_hObject); }
    // A wrapper that does not own the handle, kept while the handle lives.
    static CBitmap* FromHandle(HBITMAP hBitmap);
};

class PLATFORM_EXPORT CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    BOOL CreatePenIndirect(LOGPEN* lpLogPen);
    int GetLogPen(LOGPEN* pLogPen) const;
    operator HPEN() const { return reinterpret_cast<HPEN>(m_hObject); }
    static CPen* FromHandle(HPEN hPen);
};

class PLATFORM_EXPORT CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
    BOOL CreateSolidBrush(COLORREF crColor);
    operator HBRUSH() const { return reinterpret_cast<HBRUSH>(m_hObject); }
};
