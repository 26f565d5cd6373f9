#include <platform/PreparedText.h>

#include "gdi/GdiObjects.h"
#include "gdi/SystemFont.h"
#include "gdi/TextLines.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace platform::detail;

namespace {

// One glyph's coverage, cropped to its pixels, placed relative to its line's top-left corner.
struct GlyphMask {
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<BYTE> coverage;
};

// The raster engine paints a line glyph by glyph, each blended over what the glyphs before it
// left; the masks are kept one per glyph, in painting order, so that pixels two glyphs share
// come out the same. Each glyph is drawn alone, an integer number of pixels from the others,
// which keeps its position's fraction and so its exact coverage.
std::vector<GlyphMask> MasksOf(const QString& line, int lineHeight, int ascent) {
    std::vector<GlyphMask> masks;
    if (line.isEmpty())
        return masks;
    QTextLayout layout(line, SystemFont());
    layout.beginLayout();
    QTextLine text = layout.createLine();
    text.setLineWidth(1e6);
    layout.endLayout();
    std::vector<std::pair<QGlyphRun, QPointF>> glyphs;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size(); ++i) {
            QGlyphRun one = run;
            one.setGlyphIndexes({indexes[i]});
            one.setPositions({positions[i]});
            glyphs.emplace_back(one, positions[i]);
        }
    }
    // Each glyph gets a cell of its own, wide and high enough for any overhang.
    const int margin = 2 * lineHeight;
    const int cell = 4 * lineHeight;
    QImage sheet(cell, cell * static_cast<int>(glyphs.size()), QImage::Format_ARGB32_Premultiplied);
    if (sheet.isNull())
        return masks;
    sheet.fill(0);
    QPainter painter(&sheet);
    painter.setPen(QColor(0, 0, 0));
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const QPointF& at = glyphs[i].second;
        const int dx = margin - static_cast<int>(std::floor(at.x()));
        painter.drawGlyphRun(
            QPointF(dx, static_cast<int>(i) * cell + margin + ascent - text.ascent()),
            glyphs[i].first);
        masks.push_back({-dx, -margin, 0, 0, {}});
    }
    painter.end();
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const int top = static_cast<int>(i) * cell;
        int x0 = cell, y0 = cell, x1 = -1, y1 = -1;
        for (int y = 0; y < cell; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(sheet.constScanLine(top + y));
            for (int x = 0; x < cell; ++x)
                if (qAlpha(row[x])) {
                    x0 = std::min(x0, x), x1 = std::max(x1, x);
                    y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
        }
        GlyphMask& mask = masks[i];
        if (x1 < 0)
            continue;
        mask.x += x0;
        mask.y += y0;
        mask.width = x1 - x0 + 1;
        mask.height = y1 - y0 + 1;
        mask.coverage.resize(static_cast<std::size_t>(mask.width) * mask.height);
        for (int y = 0; y < mask.height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(sheet.constScanLine(top + y0 + y));
            for (int x = 0; x < mask.width; ++x)
                mask.coverage[static_cast<std::size_t>(y) * mask.width + x] =
                    static_cast<BYTE>(qAlpha(row[x0 + x]));
        }
    }
    masks.erase(std::remove_if(masks.begin(), masks.end(),
                               [](const GlyphMask& m) { return m.coverage.empty(); }),
                masks.end());
    return masks;
}

// Black text over a pixel: what the raster engine's blend of an opaque black source at that
// coverage leaves.
void Darken(const PixelView& view, const GlyphMask& mask, int left, int top, const QRect& allowed) {
    const int x0 = std::max(left + mask.x, allowed.left());
    const int x1 = std::min(left + mask.x + mask.width, allowed.right() + 1);
    const int y0 = std::max(top + mask.y, allowed.top());
    const int y1 = std::min(top + mask.y + mask.height, allowed.bottom() + 1);
    for (int y = y0; y < y1; ++y) {
        const BYTE* c = mask.coverage.data() +
                        static_cast<std::size_t>(y - top - mask.y) * mask.width - (left + mask.x);
        BYTE* p = view.At(0, y);
        if (view.bytesPerPixel == 4) {
            // Whole 32-bit pixels: the same bytes, read and written once each.
            for (int x = x0; x < x1; ++x) {
                const unsigned cover = c[x];
                if (!cover)
                    continue;
                std::uint32_t pixel;
                std::memcpy(&pixel, p + 4 * x, 4);
                pixel = ByteMul(pixel & 0xFFFFFFu, 255 - cover) | 0xFF000000u;
                std::memcpy(p + 4 * x, &pixel, 4);
            }
            continue;
        }
        for (int x = x0; x < x1; ++x) {
            const unsigned cover = c[x];
            if (!cover)
                continue;
            BYTE* px = p + 3 * x;
            std::uint32_t pixel = px[0] | (px[1] << 8) | (px[2] << 16);
            pixel = ByteMul(pixel, 255 - cover);
            px[0] = static_cast<BYTE>(pixel);
            px[1] = static_cast<BYTE>(pixel >> 8);
            px[2] = static_cast<BYTE>(pixel >> 16);
        }
    }
}

} // namespace

namespace platform {

struct PreparedText::Data {
    std::u16string text;
    UINT singleLine = 0;
    TextLines lines;
    std::vector<std::vector<GlyphMask>> masks;

    Data(std::u16string_view t, UINT format)
        : text(t), singleLine(format & DT_SINGLELINE), lines(t, singleLine != 0) {
        for (const QString& line : lines.lines)
            masks.push_back(MasksOf(line, lines.lineHeight, lines.ascent));
    }
};

PreparedText::PreparedText(std::u16string_view text, UINT uFormat)
    : m_data(std::make_shared<const Data>(text, uFormat)) {}

const std::u16string& PreparedText::Text() const {
    static const std::u16string none;
    return m_data ? m_data->text : none;
}

SIZE PreparedText::Extent() const {
    return m_data ? SIZE{m_data->lines.Widest(), m_data->lines.Height()} : SIZE{};
}

int PreparedText::Draw(HDC hDC, LPRECT lpRect, UINT uFormat) const {
    GdiDc* dc = LookupDc(hDC);
    if (!m_data || !dc || !lpRect)
        return 0;
    const Data& data = *m_data;
    // Other colours and opaque backgrounds are blended differently; they are drawn anew.
    if ((uFormat & DT_CALCRECT) || (uFormat & DT_SINGLELINE) != data.singleLine ||
        dc->bkMode != TRANSPARENT || (dc->textColor & 0xFFFFFF) != 0)
        return DrawTextW(hDC, data.text.c_str(), static_cast<int>(data.text.size()), lpRect,
                         uFormat);
    const PixelView view = ViewOf(hDC);
    const int height = data.lines.Height();
    if (!view.Valid())
        return height;
    const TextPlacement place(data.lines, *lpRect, uFormat);
    // A 32-bit surface is painted directly, under the box's clip; a 24-bit one through a copy
    // of the painted area alone.
    const QRect surface(0, 0, view.width, view.height);
    QRect allowed = view.bytesPerPixel == 4 ? (place.clip ? place.box : surface) : place.Painted();
    allowed &= surface;
    if (!allowed.isEmpty())
        for (std::size_t i = 0; i < data.masks.size(); ++i)
            for (const GlyphMask& mask : data.masks[i])
                Darken(view, mask, place.placed[i].left(), place.placed[i].top(), allowed);
    if (view.bytesPerPixel == 4)
        ShowPainted(hDC, place.Painted());
    return height;
}

} // namespace platform
