#include "navimages.h"

#include "errors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap draw(int index, bool hot)
{
    QPixmap pm(30, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = hot ? QColor(0x1e, 0x6f, 0xd9) : QColor(0x45, 0x55, 0x6b);
    p.setPen(QPen(ink, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (index) {
    case 0: // Back
    case 1: { // Forward
        const double dir = index == 0 ? -1 : 1;
        p.drawLine(QPointF(15 - 7 * dir, 10), QPointF(15 + 7 * dir, 10));
        p.drawLine(QPointF(15 + 7 * dir, 10), QPointF(15 + 2 * dir, 5));
        p.drawLine(QPointF(15 + 7 * dir, 10), QPointF(15 + 2 * dir, 15));
        break;
    }
    case 2: // Stop
    case 4: { // Stop while loading: red
        if (index == 4)
            p.setPen(QPen(hot ? QColor(0xe0, 0x30, 0x30) : QColor(0xc0, 0x20, 0x20), 2.6,
                          Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 5), QPointF(20, 15));
        p.drawLine(QPointF(20, 5), QPointF(10, 15));
        break;
    }
    case 3: { // Refresh
        QPainterPath arc;
        arc.arcMoveTo(QRectF(9, 4, 12, 12), 60);
        arc.arcTo(QRectF(9, 4, 12, 12), 60, 280);
        p.drawPath(arc);
        p.drawLine(QPointF(18, 4.8), QPointF(19.5, 8.5));
        p.drawLine(QPointF(18, 4.8), QPointF(14.5, 6));
        break;
    }
    default:
        throw EListError(QStringLiteral("Navigator image index out of bounds (%1)").arg(index));
    }
    return pm;
}

} // namespace

QIcon NavigatorImage(int index)
{
    QIcon icon(draw(index, false));
    icon.addPixmap(draw(index, true), QIcon::Active);
    return icon;
}
