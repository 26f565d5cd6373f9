#pragma once

#include "shell/FileIconResolver.h"

#include <platform/platform_export.h>

#include <QImage>

namespace platform::detail {

// The shell-wide list of small (16 x 16) icons: one image per icon kind, added as paths of
// new kinds are asked for. Index 0 is the folder icon. Images never move once added.
class SystemImageList {
public:
    static int IndexOf(const IconSource& source);
    // An identity for the list, handed out as its handle.
    static const void* Handle();
};

// Image i of the list, or null when there is none; valid for the rest of the process.
PLATFORM_EXPORT const QImage* SystemSmallIcon(int index);
PLATFORM_EXPORT int SystemSmallIconCount();

} // namespace platform::detail
