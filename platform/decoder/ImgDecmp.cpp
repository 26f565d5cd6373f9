#include <platform/ImgDecmp.h>

#include "core/Application.h"
#include "decoder/ImageDecoder.h"
#include "gdi/GdiObjects.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

HRESULT DecompressImageInfoCheck(const DecompressImageInfo* p) {
    if (!p || !p->phBM || !p->pfnGetData || p->iMaxWidth <= 0 || p->iMaxHeight <= 0 ||
        p->iScale <= 0)
        return E_FAIL;
    return S_OK;
}

} // namespace

HRESULT DecompressImageIndirect(DecompressImageInfo* pParams) {
    if (DecompressImageInfoCheck(pParams) != S_OK)
        return E_FAIL;
    platform::detail::EnsureApplication();
    *pParams->phBM = nullptr;
    // The caller's work buffer carries the pieces when it has one.
    std::vector<BYTE> own;
    BYTE* work = pParams->pbBuffer;
    std::size_t piece = std::min<std::size_t>(pParams->dwBufferMax, 4096);
    if (!work || piece == 0) {
        own.resize(4096);
        work = own.data();
        piece = own.size();
    }
    const auto read = [&](BYTE* buffer, std::size_t wanted) -> std::size_t {
        const auto n = std::min(wanted, piece);
        const DWORD got =
            std::min<DWORD>(pParams->pfnGetData(reinterpret_cast<LPSTR>(work),
                                                static_cast<DWORD>(n), pParams->lParam),
                            static_cast<DWORD>(n));
        pParams->dwBufferCurrent = got;
        std::memcpy(buffer, work, got);
        return got;
    };
    QImage image = platform::detail::DecodeImage(read, pParams->iMaxWidth, pParams->iMaxHeight);
    if (image.isNull())
        return E_FAIL;
    if (pParams->iScale != 100) {
        const int w = std::max(
            1, static_cast<int>(static_cast<long long>(image.width()) * pParams->iScale / 100));
        const int h = std::max(
            1, static_cast<int>(static_cast<long long>(image.height()) * pParams->iScale / 100));
        if (w > pParams->iMaxWidth || h > pParams->iMaxHeight)
            return E_FAIL;
        image = image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    HBITMAP bitmap = platform::detail::CreateBitmapFromImage(image, pParams->iBitDepth == 24);
    if (!bitmap)
        return E_FAIL;
    *pParams->phBM = bitmap;
    if (pParams->pfnImageProgress)
        pParams->pfnImageProgress(nullptr, TRUE, pParams->lParam);
    return S_OK;
}
