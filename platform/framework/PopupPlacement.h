#pragma once

#include <platform/CMenu.h>

#include <QPoint>
#include <QRect>
#include <QSize>

#include <algorithm>

namespace platform::detail {

// The top-left corner of a pop-up of the given size anchored at a screen point: the point is
// the menu's top-left corner, or its right or bottom edge with TPM_RIGHTALIGN or
// TPM_BOTTOMALIGN. The menu is kept on the screen.
inline QPoint PopupTopLeft(UINT flags, QPoint anchor, QSize size, QRect screen) {
    int x = (flags & TPM_RIGHTALIGN) ? anchor.x() - size.width() : anchor.x();
    int y = (flags & TPM_BOTTOMALIGN) ? anchor.y() - size.height() : anchor.y();
    if (!screen.isEmpty()) {
        x = std::clamp(x, screen.left(),
                       std::max(screen.left(), screen.right() + 1 - size.width()));
        y = std::clamp(y, screen.top(),
                       std::max(screen.top(), screen.bottom() + 1 - size.height()));
    }
    return {x, y};
}

// The top-left corner of a pop-up opened from an icon (a screen rectangle): beside it, on
// the side the flags name if there is room there (TPM_BOTTOMALIGN: above), else on the other,
// with its right edge at the icon's with TPM_RIGHTALIGN, and kept on the screen.
inline QPoint PopupBeside(UINT flags, QRect icon, QSize size, QRect screen) {
    int x = (flags & TPM_RIGHTALIGN) ? icon.right() + 1 - size.width() : icon.left();
    const int above = icon.top() - size.height();
    const int below = icon.bottom() + 1;
    const bool roomAbove = screen.isEmpty() || above >= screen.top();
    const bool roomBelow = screen.isEmpty() || below + size.height() <= screen.bottom() + 1;
    int y = (flags & TPM_BOTTOMALIGN) ? (roomAbove || !roomBelow ? above : below)
                                      : (roomBelow || !roomAbove ? below : above);
    return PopupTopLeft(TPM_LEFTALIGN | TPM_TOPALIGN, {x, y}, size, screen);
}

} // namespace platform::detail
