#include "gdi/GdiObjects.h"

#include "core/Application.h"
#include "core/ImageFormat.h"
#include "files/SmallFile.h"
#include "windows/WindowState.h"

#include <platform/Device.h>

#include <QByteArray>

#include <climits>
#include <cstring>
#include <map>

using namespace platform::detail;

namespace {

HDC NewDc(DcKind kind, HWND window) {
    GdiDc dc;
    dc.kind = kind;
    dc.window = window;
    dc.bitmap = kind == DcKind::Memory ? StockBitmap() : nullptr;
    dc.pen = StockPen();
    dc.brush = StockBrush(WHITE_BRUSH);
    return static_cast<HDC>(Insert(dc));
}

std::map<UINT, QByteArray>& Resources() {
    static std::map<UINT, QByteArray> resources;
    return resources;
}

} // namespace

HDC GetDC(HWND hWnd) {
    EnsureApplication();
    if (!hWnd)
        return NewDc(DcKind::Display, nullptr);
    if (!WindowState::Of(hWnd))
        return nullptr;
    return NewDc(DcKind::Window, hWnd);
}

int ReleaseDC(HWND, HDC hDC) {
    GdiDc* dc = LookupDc(hDC);
    if (!dc || dc->kind == DcKind::Memory)
        return 0;
    Erase(hDC);
    return 1;
}

HDC CreateCompatibleDC(HDC hDC) {
    EnsureApplication();
    if (hDC && !LookupDc(hDC))
        return nullptr;
    return NewDc(DcKind::Memory, nullptr);
}

BOOL DeleteDC(HDC hDC) {
    GdiDc* dc = LookupDc(hDC);
    if (!dc || dc->kind != DcKind::Memory)
        return FALSE;
    if (GdiBitmap* b = LookupBitmap(dc->bitmap); b && b->selectedIn == hDC)
        b->selectedIn = nullptr;
    Erase(hDC);
    return TRUE;
}

HWND WindowFromDC(HDC hDC) {
    GdiDc* dc = LookupDc(hDC);
    return dc ? dc->window : nullptr;
}

HBITMAP CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight) {
    if (!LookupDc(hDC) || nWidth <= 0 || nHeight <= 0 || nWidth > 16384 || nHeight > 16384)
        return nullptr;
    GdiBitmap b;
    b.image = QImage(nWidth, nHeight, QImage::Format_RGB32);
    if (b.image.isNull())
        return nullptr;
    b.image.fill(Qt::black);
    b.width = nWidth;
    b.height = nHeight;
    return static_cast<HBITMAP>(Insert(std::move(b)));
}

HBITMAP CreateDIBSection(HDC hDC, const BITMAPINFO* pbmi, UINT, void** ppvBits, HANDLE hSection,
                         DWORD) {
    if (ppvBits)
        *ppvBits = nullptr;
    if (!pbmi || hSection)
        return nullptr;
    const BITMAPINFOHEADER& h = pbmi->bmiHeader;
    if (h.biSize < 40 || h.biPlanes != 1 || h.biBitCount != 24 || h.biCompression != BI_RGB ||
        h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT_MIN)
        return nullptr;
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    GdiBitmap b;
    if (h.biWidth > 16384 || height > 16384 || !AllocateDib(b, h.biWidth, height, h.biHeight > 0))
        return nullptr;
    BYTE* bits = b.dib->data();
    HBITMAP handle = static_cast<HBITMAP>(Insert(std::move(b)));
    if (ppvBits)
        *ppvBits = bits;
    return handle;
}

HPEN CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
    LOGPEN log{static_cast<UINT>(nPenStyle), POINT{nWidth, 0}, crColor};
    return CreatePenIndirect(&log);
}

HPEN CreatePenIndirect(const LOGPEN* lplgpn) {
    if (!lplgpn || (lplgpn->lopnStyle != PS_SOLID && lplgpn->lopnStyle != PS_DASH &&
                    lplgpn->lopnStyle != PS_NULL))
        return nullptr;
    return static_cast<HPEN>(Insert(GdiPen{*lplgpn}));
}

HBRUSH CreateSolidBrush(COLORREF crColor) {
    return static_cast<HBRUSH>(Insert(GdiBrush{crColor}));
}

HGDIOBJ GetStockObject(int fnObject) {
    switch (fnObject) {
    case BLACK_PEN:
        return reinterpret_cast<HGDIOBJ>(StockPen());
    case WHITE_BRUSH:
    case BLACK_BRUSH:
        return reinterpret_cast<HGDIOBJ>(StockBrush(fnObject));
    default:
        return nullptr;
    }
}

HGDIOBJ SelectObject(HDC hDC, HGDIOBJ hObject) {
    GdiDc* dc = LookupDc(hDC);
    GdiObject* object = Lookup(hObject);
    if (!dc || !object)
        return nullptr;
    if (auto* bitmap = std::get_if<GdiBitmap>(object)) {
        // A bitmap lives in one memory surface at a time.
        if (dc->kind != DcKind::Memory)
            return nullptr;
        HBITMAP next = reinterpret_cast<HBITMAP>(hObject);
        if (bitmap->selectedIn && bitmap->selectedIn != hDC && !IsStock(hObject))
            return nullptr;
        HBITMAP previous = dc->bitmap;
        if (GdiBitmap* old = LookupBitmap(previous); old && old->selectedIn == hDC)
            old->selectedIn = nullptr;
        if (!IsStock(hObject))
            bitmap->selectedIn = hDC;
        dc->bitmap = next;
        return reinterpret_cast<HGDIOBJ>(previous);
    }
    if (std::holds_alternative<GdiPen>(*object)) {
        HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(dc->pen);
        dc->pen = reinterpret_cast<HPEN>(hObject);
        return previous;
    }
    if (std::holds_alternative<GdiBrush>(*object)) {
        HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(dc->brush);
        dc->brush = reinterpret_cast<HBRUSH>(hObject);
        return previous;
    }
    return nullptr;
}

HGDIOBJ GetCurrentObject(HDC hDC, UINT uObjectType) {
    GdiDc* dc = LookupDc(hDC);
    if (!dc)
        return nullptr;
    switch (uObjectType) {
    case OBJ_PEN:
        return reinterpret_cast<HGDIOBJ>(dc->pen);
    case OBJ_BRUSH:
        return reinterpret_cast<HGDIOBJ>(dc->brush);
    case OBJ_BITMAP:
        return reinterpret_cast<HGDIOBJ>(dc->bitmap);
    default:
        return nullptr;
    }
}

BOOL DeleteObject(HGDIOBJ hObject) {
    GdiObject* object = Lookup(hObject);
    if (!object || IsStock(hObject) || std::holds_alternative<GdiDc>(*object))
        return FALSE;
    if (auto* bitmap = std::get_if<GdiBitmap>(object); bitmap && bitmap->selectedIn)
        return FALSE;
    // A pen or brush still selected somewhere is no longer found there, and the surface
    // draws with its default instead.
    Erase(hObject);
    return TRUE;
}

int GetObjectW(HGDIOBJ hObject, int cbBuffer, LPVOID lpvObject) {
    GdiObject* object = Lookup(hObject);
    if (!object)
        return 0;
    if (auto* b = std::get_if<GdiBitmap>(object)) {
        if (!lpvObject)
            return sizeof(BITMAP);
        if (cbBuffer < static_cast<int>(sizeof(BITMAP)))
            return 0;
        BITMAP bm;
        bm.bmType = 0;
        bm.bmWidth = b->width;
        bm.bmHeight = b->height;
        bm.bmPlanes = 1;
        if (b->dib) {
            bm.bmWidthBytes = static_cast<LONG>(b->dibStride);
            bm.bmBitsPixel = 24;
            bm.bmBits = b->dib->data();
        } else {
            bm.bmWidthBytes = b->width * 4;
            bm.bmBitsPixel = 32;
        }
        std::memcpy(lpvObject, &bm, sizeof bm);
        return sizeof(BITMAP);
    }
    if (auto* p = std::get_if<GdiPen>(object)) {
        if (!lpvObject)
            return sizeof(LOGPEN);
        if (cbBuffer < static_cast<int>(sizeof(LOGPEN)))
            return 0;
        std::memcpy(lpvObject, &p->log, sizeof(LOGPEN));
        return sizeof(LOGPEN);
    }
    return 0;
}

HBITMAP LoadBitmapW(HINSTANCE, LPCWSTR lpBitmapName) {
    EnsureApplication();
    auto id = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(lpBitmapName));
    auto it = Resources().find(id);
    if (it == Resources().end())
        return nullptr;
    return CreateBitmapFromImage(ImageFromData(it->second), false);
}

HBITMAP SHLoadDIBitmap(LPCWSTR szFileName) {
    EnsureApplication();
    if (!szFileName)
        return nullptr;
    // Arrows and logos are small; a huge file is not a picture this is meant for.
    const std::optional<std::string> bytes =
        SmallFile::Read(platform::HostPath(szFileName), std::size_t{64} << 20);
    if (!bytes)
        return nullptr;
    return CreateBitmapFromImage(ImageFromData(QByteArray::fromRawData(
                                     bytes->data(), static_cast<qsizetype>(bytes->size()))),
                                 false);
}

namespace platform {

void AddBitmapResource(UINT id, const BYTE* bytes, std::size_t size) {
    Resources()[id] =
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
}

bool GetSurfacePixels(HDC hDC, SurfacePixels* pixels) {
    GdiDc* dc = LookupDc(hDC);
    if (!pixels || !dc || dc->kind != DcKind::Memory || dc->bitmap == StockBitmap())
        return false;
    GdiBitmap* bitmap = LookupBitmap(dc->bitmap);
    if (!bitmap || bitmap->dib || bitmap->image.isNull())
        return false;
    *pixels = SurfacePixels{bitmap->image.bits(), bitmap->image.bytesPerLine(), bitmap->width,
                            bitmap->height};
    return true;
}

bool SaveBitmapImage(HBITMAP hBitmap, const char* hostPath) {
    QImage image = ImageOfBitmap(hBitmap);
    return !image.isNull() && image.save(QString::fromUtf8(hostPath), "PNG");
}

bool SaveWindowImage(HWND hWnd, const char* hostPath) {
    WindowState* state = WindowState::Of(hWnd);
    return state && state->Screen().save(QString::fromUtf8(hostPath), "PNG");
}

int WindowCopyCount(HWND hWnd) {
    WindowState* state = WindowState::Of(hWnd);
    return state ? state->copies : -1;
}

} // namespace platform
