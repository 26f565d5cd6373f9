#include "shell/OwnIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace platform::detail {

namespace {

// Everything is drawn on a 32-unit grid and scaled, so both sizes share one design.
constexpr qreal kGrid = 32.0;

void DrawFolder(QPainter& p) {
    p.setPen(QPen(QColor(0x8a, 0x5a, 0x00), 1.2));
    p.setBrush(QColor(0xe8, 0xb0, 0x30));
    QPainterPath back;
    back.moveTo(2, 7);
    back.lineTo(12, 7);
    back.lineTo(15, 10);
    back.lineTo(30, 10);
    back.lineTo(30, 27);
    back.lineTo(2, 27);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(0xf8, 0xd0, 0x60));
    p.drawRect(QRectF(2, 13, 28, 14));
}

void DrawPage(QPainter& p, const QColor& fill) {
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.2));
    p.setBrush(fill);
    QPainterPath page;
    page.moveTo(6, 2);
    page.lineTo(20, 2);
    page.lineTo(27, 9);
    page.lineTo(27, 30);
    page.lineTo(6, 30);
    page.closeSubpath();
    p.drawPath(page);
    p.drawLine(QPointF(20, 2), QPointF(20, 9));
    p.drawLine(QPointF(20, 9), QPointF(27, 9));
}

void DrawDocument(QPainter& p) {
    DrawPage(p, Qt::white);
    p.setPen(QPen(QColor(0x70, 0x80, 0xa0), 1.5));
    for (int y = 13; y <= 25; y += 4)
        p.drawLine(QPointF(9, y), QPointF(24, y));
}

void DrawWebPage(QPainter& p) {
    DrawPage(p, Qt::white);
    p.setPen(QPen(QColor(0x10, 0x50, 0xa0), 1.3));
    p.setBrush(QColor(0x60, 0xa8, 0xf0));
    QRectF globe(9, 12, 15, 15);
    p.drawEllipse(globe);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(13, 12, 7, 15));
    p.drawLine(QPointF(9, 19.5), QPointF(24, 19.5));
}

void DrawWindow(QPainter& p, const QColor& title) {
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.2));
    p.setBrush(QColor(0xf0, 0xf0, 0xf0));
    p.drawRect(QRectF(2, 5, 28, 23));
    p.setBrush(title);
    p.drawRect(QRectF(2, 5, 28, 6));
}

void DrawExecutable(QPainter& p) {
    DrawWindow(p, QColor(0x20, 0x40, 0x90));
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.6));
    p.drawLine(QPointF(6, 15), QPointF(10, 18));
    p.drawLine(QPointF(10, 18), QPointF(6, 21));
    p.drawLine(QPointF(12, 22), QPointF(18, 22));
}

void DrawApplication(QPainter& p) {
    DrawWindow(p, QColor(0x30, 0x90, 0x40));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe0, 0x60, 0x20));
    p.drawRect(QRectF(7, 15, 7, 9));
    p.setBrush(QColor(0x30, 0x70, 0xd0));
    p.drawRect(QRectF(17, 15, 8, 9));
}

} // namespace

QImage DrawOwnIcon(IconKind kind, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);
    switch (kind) {
    case IconKind::Folder:
        DrawFolder(p);
        break;
    case IconKind::Executable:
        DrawExecutable(p);
        break;
    case IconKind::Document:
        DrawDocument(p);
        break;
    case IconKind::WebPage:
        DrawWebPage(p);
        break;
    case IconKind::Application:
        DrawApplication(p);
        break;
    }
    p.end();
    return image;
}

} // namespace platform::detail
