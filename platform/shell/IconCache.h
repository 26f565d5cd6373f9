#pragma once

#include "shell/FileIconResolver.h"

#include <platform/Shell.h>
#include <platform/platform_export.h>

#include <QImage>

namespace platform::detail {

// Rendered icon pictures, one per (source, size), so that asking again for an icon already
// seen costs a lookup.
class IconCache {
public:
    // The picture of a source at exactly size x size; never null.
    static QImage Render(const IconSource& source, int size);

private:
    static QImage Load(const IconSource& source, int size);
};

// A copy of an icon's picture, null once the handle is destroyed. For readers outside the
// library (tests) that cannot see the icon table.
PLATFORM_EXPORT QImage IconPicture(HICON icon);

} // namespace platform::detail
