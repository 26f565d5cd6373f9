#include <platform/Gdi.h>
#include <platform/Tray.h>

#include "core/Application.h"
#include "core/ImageFormat.h"
#include "shell/IconStore.h"

#include <QByteArray>
#include <QImage>

#include <map>

namespace {

std::map<UINT, QByteArray>& IconResources() {
    static std::map<UINT, QByteArray> resources;
    return resources;
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
    QImage image = platform::detail::ImageFromData(it->second);
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
    IconResources()[id] =
        QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
}

} // namespace platform
