#pragma once

#include <platform/Handles.h>
#include <platform/Types.h>
#include <platform/platform_export.h>

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// A text in the system font laid out and rasterised once, for text that is drawn again and
// again: Draw leaves exactly the pixels DrawTextW leaves for the same text and format, at the
// cost of a copy. Lines break only at CR LF, unless the text is prepared with DT_SINGLELINE.
class PLATFORM_EXPORT PreparedText {
public:
    PreparedText() = default;
    PreparedText(std::u16string_view text, UINT uFormat);

    const std::u16string& Text() const;
    // The size DrawTextW measures with DT_CALCRECT: the widest line and the lines' height.
    SIZE Extent() const;
    // DrawTextW(hDC, Text(), -1, lpRect, uFormat) in effect, DT_CALCRECT included; returns the
    // text's height, 0 on failure.
    int Draw(HDC hDC, LPRECT lpRect, UINT uFormat) const;

    struct Data;

private:
    std::shared_ptr<const Data> m_data;
};

} // namespace platform
