#include <platform/CDC.h>

#include "gdi/GdiObjects.h"

#include <map>
#include <memory>

namespace {

// Every wrapper that holds a handle, so that FromHandle finds the owner's object.
std::map<HGDIOBJ, CGdiObject*>& Permanent() {
    static std::map<HGDIOBJ, CGdiObject*> map;
    return map;
}

std::map<HGDIOBJ, std::unique_ptr<CGdiObject>>& Temporary() {
    static std::map<HGDIOBJ, std::unique_ptr<CGdiObject>> map;
    return map;
}

void Register(CGdiObject* object) {
    if (object->m_hObject)
        Permanent()[object->m_hObject] = object;
}

void Unregister(CGdiObject* object) {
    auto& map = Permanent();
    auto it = map.find(object->m_hObject);
    if (it != map.end() && it->second == object)
        map.erase(it);
}

} // namespace

template <class T> T* FromHandleOf(HGDIOBJ hObject) {
    if (!hObject)
        return nullptr;
    if (auto it = Permanent().find(hObject); it != Permanent().end())
        if (auto* object = dynamic_cast<T*>(it->second))
            return object;
    auto& temporary = Temporary();
    if (auto it = temporary.find(hObject); it != temporary.end())
        if (auto* object = dynamic_cast<T*>(it->second.get()))
            return object;
    // Wrappers of handles that are gone are dropped now and then.
    if (temporary.size() > 64)
        std::erase_if(temporary,
                      [](const auto& entry) { return !platform::detail::Lookup(entry.first); });
    auto object = std::make_unique<T>();
    object->m_hObject = hObject;
    object->m_bTemporary = true;
    T* result = object.get();
    temporary[hObject] = std::move(object);
    return result;
}

CGdiObject::~CGdiObject() {
    if (!m_bTemporary)
        DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (m_hObject || !hObject)
        return FALSE;
    m_hObject = hObject;
    Register(this);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    Unregister(this);
    return std::exchange(m_hObject, nullptr);
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    Unregister(this);
    return ::DeleteObject(std::exchange(m_hObject, nullptr));
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const {
    return ::GetObjectW(m_hObject, nCount, lpObject);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return Attach(reinterpret_cast<HGDIOBJ>(
        ::CreateCompatibleBitmap(pDC ? pDC->m_hDC : nullptr, nWidth, nHeight)));
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) {
    return Attach(reinterpret_cast<HGDIOBJ>(::LoadBitmapW(nullptr, MAKEINTRESOURCE(nIDResource))));
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const {
    return GetObject(sizeof(BITMAP), pBitMap);
}

CBitmap* CBitmap::FromHandle(HBITMAP hBitmap) {
    return FromHandleOf<CBitmap>(reinterpret_cast<HGDIOBJ>(hBitmap));
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
    return Attach(reinterpret_cast<HGDIOBJ>(::CreatePen(nPenStyle, nWidth, crColor)));
}

BOOL CPen::CreatePenIndirect(LOGPEN* lpLogPen) {
    return Attach(reinterpret_cast<HGDIOBJ>(::CreatePenIndirect(lpLogPen)));
}

int CPen::GetLogPen(LOGPEN* pLogPen) const {
    return GetObject(sizeof(LOGPEN), pLogPen);
}

CPen* CPen::FromHandle(HPEN hPen) {
    return FromHandleOf<CPen>(reinterpret_cast<HGDIOBJ>(hPen));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
    return Attach(reinterpret_cast<HGDIOBJ>(::CreateSolidBrush(crColor)));
}
