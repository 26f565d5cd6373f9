#pragma once

#include <platform/Shell.h>

#include <QImage>

#include <cstddef>

namespace platform::detail {

// Icon handles are slots in one table with a generation count, so a handle that was
// destroyed (or never made) finds no image and is never drawn.
HICON CreateIconHandle(QImage image);
// The icon's picture (ARGB32 premultiplied), or null for a stale handle. Valid until the
// handle is destroyed.
const QImage* IconImage(HICON icon);
bool DestroyIconHandle(HICON icon);
std::size_t LiveIconCount();

} // namespace platform::detail
