#include <platform/Gdi.h>
#include <platform/Tray.h>

#include "core/Application.h"
#include "core/ImageFormat.h"
#include "shell/IconStore.h"

#include <QByteArray>
#include <QImage>

#include <map>
#include <vector>

namespace {

// Each icon resource holds its picture in one or more sizes, as an icon file does.
std::map<UINT, std::vector<QByteArray>>& IconResources() {
    static std::map<UINT, std::vector<QByteArray>> resources;
    return resources;
}

bool Covers(const QImage& image, QSize size) {
    return image.width() >= size.width() && image.height() >= size.height();
}

// The picture made for the size asked, else the smallest larger one, else the largest; for
// no size, the first.
QImage Nearest(const std::vector<QByteArray>& pictures, int cx, int cy) {
    QImage best;
    for (const QByteArray& picture : pictures) {
        QImage image = platform::detail::ImageFromData(picture);
        if (image.isNull())
            continue;
        if (!cx && !cy)
            return image;
        const QSize size(cx ? cx : image.width(), cy ? cy : image.height());
        const bool covers = Covers(image, size);
        bool better = best.isNull() || covers != Covers(best, size);
        if (!better)
            better = covers ? image.width() < best.width() : image.width() > best.width();
        else if (!best.isNull())
            better = covers;
        if (better)
            best = std::move(image);
    }
    return best;
}

} // namespace

HICON LoadImageW(HINSTANCE, LPCWSTR name, UINT type, int cx, int cy, UINT) {
    const auto value = reinterpret_cast<std::uintptr_t>(name);
    // Only numbered resources exist here.
    if (type != IMAGE_ICON || value == 0 || value > 0xFFFF || cx < 0 || cy < 0)
        return nullptr;
    auto it = IconResources().find(static_cast<UINT>(value));
    if (it == IconResources().end())
        return nullptr;
    platform::detail::EnsureApplication();
    QImage image = Nearest(it->second, cx, cy);
    if (image.isNull())
        return nullptr;
    // A size of 0 keeps the picture's own.
    QSize size(cx ? cx : image.width(), cy ? cy : image.height());
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return platform::detail::CreateIconHandle(
        image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

namespace platform {

void AddIconResource(UINT id, const BYTE* bytes, std::size_t size) {
    IconResources()[id].emplace_back(reinterpret_cast<const char*>(bytes),
                                     static_cast<qsizetype>(size));
}

} // namespace platform
