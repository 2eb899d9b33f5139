#include "icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

QColor TileColour(TSectionGlyph g) {
    switch (g) {
    case TSectionGlyph::Rashod:
        return QColor(0xD2, 0x4B, 0x45);
    case TSectionGlyph::Dohod:
        return QColor(0x2E, 0x9A, 0x4F);
    case TSectionGlyph::Dolg:
        return QColor(0xE0, 0x8E, 0x1B);
    case TSectionGlyph::Plan:
        return QColor(0x2F, 0x74, 0xC9);
    case TSectionGlyph::Analis:
        return QColor(0x85, 0x55, 0xC0);
    case TSectionGlyph::Base:
        return QColor(0x55, 0x66, 0x78);
    case TSectionGlyph::Program:
        return QColor(0x1F, 0x8A, 0x8A);
    }
    return Qt::gray;
}

void DrawWallet(QPainter& p, bool plus) {
    QPainterPath body;
    body.addRoundedRect(QRectF(18, 30, 64, 46), 7, 7);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawPath(body);
    p.setBrush(QColor(255, 255, 255, 160));
    p.drawRoundedRect(QRectF(24, 22, 48, 12), 4, 4);
    QPen sign(QColor(0x40, 0x40, 0x40), 7, Qt::SolidLine, Qt::RoundCap);
    p.setPen(sign);
    p.drawLine(QPointF(38, 53), QPointF(62, 53));
    if (plus) p.drawLine(QPointF(50, 41), QPointF(50, 65));
}

void DrawArrows(QPainter& p) {
    QPen pen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(22, 38), QPointF(74, 38));
    p.drawPolyline(QPolygonF({QPointF(62, 26), QPointF(76, 38), QPointF(62, 50)}));
    p.drawLine(QPointF(78, 64), QPointF(26, 64));
    p.drawPolyline(QPolygonF({QPointF(38, 52), QPointF(24, 64), QPointF(38, 76)}));
}

void DrawCalendar(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(20, 24, 60, 56), 6, 6);
    p.setBrush(QColor(0x1D, 0x4E, 0x8C));
    p.drawRect(QRectF(20, 30, 60, 12));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(30, 16, 7, 18), 3, 3);
    p.drawRoundedRect(QRectF(63, 16, 7, 18), 3, 3);
    p.setBrush(QColor(0x2F, 0x74, 0xC9));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            p.drawRect(QRectF(27 + c * 12.5, 48 + r * 10, 8, 6));
}

void DrawBars(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(24, 52, 12, 26));
    p.drawRect(QRectF(44, 34, 12, 44));
    p.drawRect(QRectF(64, 22, 12, 56));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18, 82), QPointF(84, 82));
}

void DrawCylinder(QPainter& p) {
    p.setPen(QPen(TileColour(TSectionGlyph::Base).darker(130), 3));
    p.setBrush(Qt::white);
    for (int i = 2; i >= 0; --i) {
        const double top = 26 + i * 17;
        QPainterPath band;
        band.moveTo(24, top);
        band.lineTo(24, top + 17);
        band.arcTo(QRectF(24, top + 9, 52, 16), 180, 180);
        band.lineTo(76, top);
        band.closeSubpath();
        p.drawPath(band);
    }
    p.drawEllipse(QRectF(24, 18, 52, 16));
}

void DrawCoin(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(20, 20, 60, 60));
    p.setPen(QPen(TileColour(TSectionGlyph::Program), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath v;
    v.moveTo(36, 34);
    v.lineTo(50, 66);
    v.lineTo(64, 34);
    p.drawPath(v);
}

} // namespace

QImage DrawSectionIcon(TSectionGlyph glyph, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    const QColor c = TileColour(glyph);
    QLinearGradient g(0, 0, 0, 100);
    g.setColorAt(0, c.lighter(125));
    g.setColorAt(1, c.darker(115));
    p.setPen(QPen(c.darker(140), 2));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(4, 4, 92, 92), 16, 16);
    switch (glyph) {
    case TSectionGlyph::Rashod:
        DrawWallet(p, false);
        break;
    case TSectionGlyph::Dohod:
        DrawWallet(p, true);
        break;
    case TSectionGlyph::Dolg:
        DrawArrows(p);
        break;
    case TSectionGlyph::Plan:
        DrawCalendar(p);
        break;
    case TSectionGlyph::Analis:
        DrawBars(p);
        break;
    case TSectionGlyph::Base:
        DrawCylinder(p);
        break;
    case TSectionGlyph::Program:
        DrawCoin(p);
        break;
    }
    return image;
}

QImage DrawResizePicture() {
    QImage image(18, 18, QImage::Format_RGB32);
    image.fill(QColor(0xF0, 0xF0, 0xF0));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(3, 9), QPointF(15, 9));
    p.drawPolyline(QPolygonF({QPointF(6, 6), QPointF(3, 9), QPointF(6, 12)}));
    p.drawPolyline(QPolygonF({QPointF(12, 6), QPointF(15, 9), QPointF(12, 12)}));
    p.drawLine(QPointF(1, 3), QPointF(1, 15));
    p.drawLine(QPointF(17, 3), QPointF(17, 15));
    return image;
}

QImage DrawCheckPicture(bool selected) {
    QImage image(13, 13, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(QColor(0x70, 0x70, 0x70));
    p.drawRect(0, 0, 12, 12);
    if (selected) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0x1A, 0x7A, 0x2A), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(3, 6.5), QPointF(5.5, 9), QPointF(10, 3.5)}));
    }
    return image;
}
