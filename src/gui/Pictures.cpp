#include "gui/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// Drawn on a 24-unit square; the icon engine scales the pixmaps it is given.
void Draw(QPainter& p, Pictures::Glyph glyph, const QColor& ink) {
    QPen pen(ink, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
        case Pictures::Glyph::Login:
            p.drawArc(QRectF(4, 5, 16, 16), 120 * 16, 300 * 16);
            p.drawLine(QPointF(12, 3), QPointF(12, 12));
            break;
        case Pictures::Glyph::Command: {
            p.drawLine(QPointF(4, 12), QPointF(18, 12));
            QPainterPath head;
            head.moveTo(12, 6);
            head.lineTo(19, 12);
            head.lineTo(12, 18);
            p.drawPath(head);
            break;
        }
        case Pictures::Glyph::Contacts:
            p.drawEllipse(QRectF(4, 4, 7, 7));
            p.drawArc(QRectF(1.5, 13, 12, 12), 0, 180 * 16);
            p.drawEllipse(QRectF(13, 6, 6, 6));
            p.drawArc(QRectF(11.5, 14, 10, 10), 0, 180 * 16);
            break;
        case Pictures::Glyph::Idle:
            p.drawEllipse(QRectF(6, 6, 12, 12));
            break;
        case Pictures::Glyph::Busy:
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawEllipse(QRectF(5, 5, 14, 14));
            break;
    }
}

}  // namespace

QIcon Pictures::Icon(Glyph glyph, const QPalette& palette) {
    QIcon icon;
    for (int side : {16, 24, 32, 48}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(side / 24.0, side / 24.0);
        Draw(p, glyph, palette.color(QPalette::WindowText));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap Pictures::Header(const QSize& size, const QPalette& palette) {
    QPixmap pixmap(size.expandedTo(QSize(1, 1)));
    QPainter p(&pixmap);
    QLinearGradient band(0, 0, pixmap.width(), 0);
    band.setColorAt(0, palette.color(QPalette::Highlight));
    band.setColorAt(1, palette.color(QPalette::Highlight).darker(140));
    p.fillRect(pixmap.rect(), band);
    return pixmap;
}

QPixmap Pictures::Bottom(const QSize& size, const QPalette& palette) {
    QPixmap pixmap(size.expandedTo(QSize(1, 1)));
    QPainter p(&pixmap);
    QLinearGradient band(0, 0, 0, pixmap.height());
    band.setColorAt(0, palette.color(QPalette::Window).darker(108));
    band.setColorAt(1, palette.color(QPalette::Window));
    p.fillRect(pixmap.rect(), band);
    return pixmap;
}

QColor Pictures::Tone(int hue, const QPalette& palette) {
    const bool darkBase = palette.color(QPalette::Base).lightnessF() < 0.5;
    return QColor::fromHslF(hue / 360.0, 0.85, darkBase ? 0.72 : 0.38);
}

QIcon Pictures::Presence(bool online, bool asked, const QPalette& palette) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = online  ? Tone(120, palette)
                       : asked ? palette.color(QPalette::Highlight)
                               : palette.color(QPalette::Disabled, QPalette::Text);
    p.setPen(QPen(ink, 2.4));
    p.setBrush(online ? QBrush(ink) : QBrush(Qt::NoBrush));
    p.drawEllipse(QRectF(6, 6, 12, 12));
    return QIcon(pixmap);
}
