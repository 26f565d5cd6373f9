#include "gdi/GdiObjects.h"

#include "core/Application.h"
#include "gdi/SystemFont.h"
#include "gdi/TextLines.h"
#include "shell/IconStore.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

using namespace platform::detail;

namespace {

// Runs `paint` with a painter over the surface's pixels. Surfaces QPainter cannot draw on
// directly (24-bit bottom-up bitmaps) are painted through a 32-bit copy of the area.
template <class Paint> bool PaintOn(HDC dc, QRect area, Paint paint) {
    if (QImage* image = PaintableImageOf(dc)) {
        QPainter painter(image);
        paint(painter);
        painter.end();
        ShowPainted(dc, area);
        return true;
    }
    PixelView view = ViewOf(dc);
    if (!view.Valid())
        return false;
    area &= QRect(0, 0, view.width, view.height);
    if (area.isEmpty())
        return true;
    QImage scratch(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(scratch.scanLine(y));
        for (int x = 0; x < area.width(); ++x)
            row[x] = 0xFF000000u | view.Read(area.left() + x, area.top() + y);
    }
    QPainter painter(&scratch);
    painter.translate(-area.topLeft());
    paint(painter);
    painter.end();
    for (int y = 0; y < area.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = 0; x < area.width(); ++x)
            view.Write(area.left() + x, area.top() + y, row[x] & 0xFFFFFF);
    }
    return true;
}

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

BOOL GetTextExtentPoint32W(HDC hDC, LPCWSTR lpString, int c, SIZE* lpSize) {
    if (!LookupDc(hDC) || !lpString || !lpSize || c < 0)
        return FALSE;
    QFontMetrics metrics(SystemFont());
    const QString text = QString::fromStdU16String(std::u16string(lpString, c));
    *lpSize = SIZE{metrics.horizontalAdvance(text), metrics.height()};
    return TRUE;
}

namespace platform::detail {

TextLines::TextLines(std::u16string_view text, bool singleLine) {
    const QFontMetrics metrics(SystemFont());
    lineHeight = metrics.height();
    ascent = metrics.ascent();
    for (;;) {
        const std::size_t br = singleLine ? std::u16string_view::npos : text.find(u"\r\n");
        lines.push_back(QString::fromStdU16String(std::u16string(text.substr(0, br))));
        widths.push_back(metrics.horizontalAdvance(lines.back()));
        if (br == std::u16string_view::npos)
            return;
        text.remove_prefix(br + 2);
    }
}

int TextLines::Widest() const {
    return widths.empty() ? 0 : *std::max_element(widths.begin(), widths.end());
}

TextPlacement::TextPlacement(const TextLines& text, const RECT& rect, UINT format)
    : box(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
      clip((format & DT_NOCLIP) == 0) {
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        int x = box.left();
        if (format & DT_RIGHT)
            x = rect.right - text.widths[i];
        else if (format & DT_CENTER)
            x = box.left() + (box.width() - text.widths[i]) / 2;
        placed.emplace_back(x, box.top() + static_cast<int>(i) * text.lineHeight, text.widths[i],
                            text.lineHeight);
        extent |= placed.back();
    }
}

} // namespace platform::detail

int DrawTextW(HDC hDC, LPCWSTR lpString, int nCount, LPRECT lpRect, UINT uFormat) {
    GdiDc* dc = LookupDc(hDC);
    if (!dc || !lpString || !lpRect)
        return 0;
    const std::u16string_view text =
        nCount < 0 ? std::u16string_view(lpString) : std::u16string_view(lpString, nCount);
    const TextLines lines(text, (uFormat & DT_SINGLELINE) != 0);
    const int height = lines.Height();
    if (uFormat & DT_CALCRECT) {
        lpRect->right = lpRect->left + lines.Widest();
        lpRect->bottom = lpRect->top + height;
        return height;
    }
    // Each line's place; what is painted is their extent, cut by the box unless DT_NOCLIP.
    const TextPlacement place(lines, *lpRect, uFormat);
    const COLORREF textColor = dc->textColor, bkColor = dc->bkColor;
    const bool opaque = dc->bkMode == OPAQUE;
    PaintOn(hDC, place.Painted(), [&](QPainter& painter) {
        if (place.clip)
            painter.setClipRect(place.box);
        painter.setFont(SystemFont());
        painter.setPen(ToQColor(textColor));
        for (std::size_t i = 0; i < lines.lines.size(); ++i) {
            if (opaque)
                painter.fillRect(place.placed[i], ToQColor(bkColor));
            painter.drawText(QPoint(place.placed[i].left(), place.placed[i].top() + lines.ascent),
                             lines.lines[i]);
        }
    });
    return height;
}

int SetBkMode(HDC hDC, int iBkMode) {
    GdiDc* dc = LookupDc(hDC);
    if (!dc || (iBkMode != TRANSPARENT && iBkMode != OPAQUE))
        return 0;
    return std::exchange(dc->bkMode, iBkMode);
}

int GetBkMode(HDC hDC) {
    GdiDc* dc = LookupDc(hDC);
    return dc ? dc->bkMode : 0;
}

COLORREF SetTextColor(HDC hDC, COLORREF crColor) {
    GdiDc* dc = LookupDc(hDC);
    return dc ? std::exchange(dc->textColor, crColor) : CLR_INVALID;
}

COLORREF SetBkColor(HDC hDC, COLORREF crColor) {
    GdiDc* dc = LookupDc(hDC);
    return dc ? std::exchange(dc->bkColor, crColor) : CLR_INVALID;
}

namespace {

// A premultiplied picture laid over a 32-bit surface as the raster engine lays it ("source
// over"): opaque pixels replace, clear ones leave, the others add to what shows through.
void SourceOver(const PixelView& view, const QImage& picture, int left, int top) {
    const int x0 = std::max(0, -left), x1 = std::min(picture.width(), view.width - left);
    const int y0 = std::max(0, -top), y1 = std::min(picture.height(), view.height - top);
    for (int y = y0; y < y1; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        BYTE* line = view.At(left, top + y);
        for (int x = x0; x < x1; ++x) {
            const std::uint32_t s = row[x];
            if (s == 0)
                continue;
            std::uint32_t d = s;
            if (qAlpha(s) != 255) {
                std::memcpy(&d, line + 4 * x, 4);
                d = s + ByteMul(d, 255 - qAlpha(s));
            }
            d |= 0xFF000000u;
            std::memcpy(line + 4 * x, &d, 4);
        }
    }
}

} // namespace

BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
    const QImage* icon = IconImage(hIcon);
    if (!icon || !LookupDc(hDC))
        return FALSE;
    const QRect area(QPoint(X, Y), icon->size());
    if (PaintableImageOf(hDC) && icon->format() == QImage::Format_ARGB32_Premultiplied) {
        SourceOver(ViewOf(hDC), *icon, X, Y);
        ShowPainted(hDC, area);
        return TRUE;
    }
    const QImage picture = *icon;
    return PaintOn(hDC, area, [&](QPainter& painter) { painter.drawImage(X, Y, picture); }) ? TRUE
                                                                                            : FALSE;
}

namespace platform {

int SystemFontLineHeight() {
    return QFontMetrics(detail::SystemFont()).height();
}

} // namespace platform
