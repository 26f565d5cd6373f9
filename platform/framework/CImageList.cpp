#include <platform/CGdiObject.h>
#include <platform/Controls.h>

#include "framework/ControlWindow.h"
#include "gdi/GdiObjects.h"
#include "shell/SystemImageList.h"

#include <QImage>

#include <map>
#include <memory>
#include <vector>

namespace platform::detail {

namespace {

struct ImageListData {
    QSize size;
    std::vector<QImage> images;
};

// The lists CImageList::Create made, by handle; a deleted list finds nothing.
std::map<HIMAGELIST, std::unique_ptr<ImageListData>>& Lists() {
    static std::map<HIMAGELIST, std::unique_ptr<ImageListData>> lists;
    return lists;
}

bool IsSystemList(HIMAGELIST list) {
    return list && static_cast<const void*>(list) == SystemImageList::Handle();
}

ImageListData* DataOf(HIMAGELIST list) {
    auto it = Lists().find(list);
    return it == Lists().end() ? nullptr : it->second.get();
}

} // namespace

const QImage* ImageListImage(HIMAGELIST list, int index) {
    if (IsSystemList(list))
        return SystemSmallIcon(index);
    ImageListData* data = DataOf(list);
    if (!data || index < 0 || static_cast<std::size_t>(index) >= data->images.size())
        return nullptr;
    return &data->images[static_cast<std::size_t>(index)];
}

} // namespace platform::detail

using platform::detail::DataOf;
using platform::detail::Lists;

CImageList::~CImageList() {
    DeleteImageList();
}

BOOL CImageList::Create(int cx, int cy, UINT, int nInitial, int) {
    if (m_hImageList || cx <= 0 || cy <= 0)
        return FALSE;
    auto data = std::make_unique<platform::detail::ImageListData>();
    data->size = QSize(cx, cy);
    data->images.reserve(static_cast<std::size_t>(std::max(nInitial, 0)));
    m_hImageList = reinterpret_cast<HIMAGELIST>(data.get());
    Lists().emplace(m_hImageList, std::move(data));
    return TRUE;
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask) {
    platform::detail::ImageListData* data = DataOf(m_hImageList);
    if (!data || !pbmImage)
        return -1;
    QImage picture = platform::detail::ImageOfBitmap(*pbmImage);
    if (picture.isNull())
        return -1;
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = qRgb(GetRValue(crMask), GetGValue(crMask), GetBValue(crMask));
    // A strip wider than one image holds several, side by side.
    const int first = static_cast<int>(data->images.size());
    for (int x = 0; x + data->size.width() <= picture.width(); x += data->size.width()) {
        QImage image = picture.copy(x, 0, data->size.width(), data->size.height());
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int i = 0; i < image.width(); ++i)
                if ((line[i] & 0xFFFFFF) == (mask & 0xFFFFFF))
                    line[i] = 0;
        }
        data->images.push_back(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    return static_cast<int>(data->images.size()) > first ? first : -1;
}

int CImageList::GetImageCount() const {
    if (platform::detail::ImageListData* data = DataOf(m_hImageList))
        return static_cast<int>(data->images.size());
    return platform::detail::IsSystemList(m_hImageList) ? platform::detail::SystemSmallIconCount()
                                                        : 0;
}

BOOL CImageList::Attach(HIMAGELIST hImageList) {
    if (m_hImageList || !hImageList)
        return FALSE;
    m_hImageList = hImageList;
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    const HIMAGELIST list = m_hImageList;
    m_hImageList = nullptr;
    return list;
}

BOOL CImageList::DeleteImageList() {
    if (!m_hImageList)
        return FALSE;
    // The shell's list is shared and stays.
    Lists().erase(m_hImageList);
    m_hImageList = nullptr;
    return TRUE;
}
