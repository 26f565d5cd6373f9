#include <sorvik/CImageLoadProc.h>

#include "PixelBuffer.h"

#include <platform/Files.h>
#include <platform/MessageBox.h>

namespace {

constexpr int kMaxWidth = 2048;
constexpr int kMaxHeight = 768;
constexpr DWORD kWorkBufferBytes = 4096;

HANDLE OpenForReading(LPCWSTR lpszPath) {
    return CreateFileW(lpszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

HRESULT Decode(HANDLE file, int depth, HDC hdc, HBITMAP* bitmap) {
    BYTE work[kWorkBufferBytes] = {};
    DecompressImageInfo info;
    info.dwSize = sizeof info;
    info.pbBuffer = work;
    info.dwBufferMax = kWorkBufferBytes;
    info.dwBufferCurrent = 0;
    info.phBM = bitmap;
    info.ppImageRender = nullptr;
    info.iBitDepth = depth;
    info.lParam = reinterpret_cast<LPARAM>(file);
    info.hdc = hdc;
    info.iScale = 100;
    info.iMaxWidth = kMaxWidth;
    info.iMaxHeight = kMaxHeight;
    info.pfnGetData = &CImageLoadProc::GetImageData;
    info.pfnImageProgress = nullptr;
    info.crTransparentOverride = 0xFFFFFFFF;
    return DecompressImageIndirect(&info);
}

void Close(HANDLE file) {
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

} // namespace

DWORD CImageLoadProc::GetImageData(LPSTR szBuffer, DWORD dwWanted, LPARAM lParam) {
    HANDLE file = reinterpret_cast<HANDLE>(lParam);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD read = 0;
    if (!ReadFile(file, szBuffer, dwWanted, &read, nullptr))
        return 0;
    return read;
}

HBITMAP CImageLoadProc::LoadJPEG(LPCWSTR lpszPath, CDC* pDC) {
    // A file that cannot be opened reaches the decoder as an empty stream.
    HANDLE file = OpenForReading(lpszPath);
    HBITMAP bitmap = nullptr;
    if (Decode(file, 24, nullptr, &bitmap) < 0) {
        AfxMessageBox(u"DII Failed!", MB_OK);
        Close(file);
        return nullptr;
    }
    if (bitmap && pDC)
        SelectObject(pDC->m_hDC, bitmap);
    Close(file);
    return bitmap;
}

DWORD CImageLoadProc::LoadJPEG2(HWND hWnd, LPCWSTR lpszPath, _SXBMP* pBmp) {
    HANDLE file = OpenForReading(lpszPath);
    if (file == INVALID_HANDLE_VALUE) {
        AfxMessageBox(u"No File!", MB_OK);
        return SX_E_OPENFILE;
    }
    HDC windowDC = GetDC(hWnd);
    HDC memoryDC = CreateCompatibleDC(windowDC);
    HBITMAP bitmap = nullptr;
    auto release = [&] {
        DeleteDC(memoryDC);
        // Nobody else holds the decoded bitmap once its pixels are in the record.
        if (bitmap)
            DeleteObject(bitmap);
        ReleaseDC(hWnd, windowDC);
        Close(file);
    };
    if (Decode(file, 16, memoryDC, &bitmap) < 0 || !bitmap) {
        AfxMessageBox(u"DII Failed!", MB_OK);
        ClearBitmap(pBmp);
        release();
        return SX_E_UNSUPPORTED;
    }
    ClearBitmap(pBmp);
    BITMAP bm;
    GetObjectW(bitmap, sizeof bm, &bm);
    HGDIOBJ previous = SelectObject(memoryDC, bitmap);
    const DWORD width = static_cast<DWORD>(bm.bmWidth);
    const DWORD height = static_cast<DWORD>(bm.bmHeight);
    auto* pixels = reinterpret_cast<WORD*>(
        sorvik::detail::AllocateBuffer(static_cast<std::size_t>(width) * height * 2));
    if (!pixels) {
        SelectObject(memoryDC, previous);
        release();
        return SX_E_NOMEMORY;
    }
    pBmp->bLoaded = 1;
    pBmp->wBitCount = 16;
    pBmp->bUserFlag = 0;
    pBmp->wUserValue = 0;
    pBmp->dwWidth = width;
    pBmp->dwHeight = height;
    pBmp->dwSize = width * height * 2;
    pBmp->pData = reinterpret_cast<BYTE*>(pixels);
    BitBlt(windowDC, 0, 0, bm.bmWidth, bm.bmHeight, memoryDC, 0, 0, SRCCOPY);
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x) {
            const COLORREF c = GetPixel(windowDC, static_cast<int>(x), static_cast<int>(y));
            pixels[y * width + x] = static_cast<WORD>(
                ((GetRValue(c) & 0xF8) << 8) | ((GetGValue(c) & 0xFC) << 3) | (GetBValue(c) >> 3));
        }
    SelectObject(memoryDC, previous);
    release();
    return SX_SUCCESS;
}
