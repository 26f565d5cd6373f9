#pragma once

#include <platform/Gdi.h>

#include <QRect>
#include <QString>

#include <string_view>
#include <vector>

namespace platform::detail {

// A text as DrawTextW lays it out in the system font: its lines (broken only at CR LF unless
// it is one line), their widths, the line height and the ascent.
struct TextLines {
    std::vector<QString> lines;
    std::vector<int> widths;
    int lineHeight = 0;
    int ascent = 0;

    TextLines(std::u16string_view text, bool singleLine);
    int Widest() const;
    int Height() const { return lineHeight * static_cast<int>(lines.size()); }
};

// Where DrawTextW puts each line in a rectangle, the lines' extent, and what it may paint.
struct TextPlacement {
    std::vector<QRect> placed;
    QRect extent;
    QRect box;
    bool clip = true;

    TextPlacement(const TextLines& text, const RECT& rect, UINT format);
    // The area painted: the lines' extent, cut by the box unless DT_NOCLIP.
    QRect Painted() const { return clip ? extent & box : extent; }
};

} // namespace platform::detail
