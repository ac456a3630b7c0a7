// SPDX-License-Identifier: GPL-3.0-or-later
#include "media_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>

namespace vantrel {

namespace {

constexpr int kSide = 16;

QPolygonF triangle(qreal left, qreal right, bool pointsRight)
{
    const qreal tip = pointsRight ? right : left;
    const qreal base = pointsRight ? left : right;
    return QPolygonF{{base, 3}, {tip, 8}, {base, 13}};
}

// Three quarters of a circle ending in an arrowhead: once more.
QPainterPath againArrow()
{
    QPainterPath arc;
    arc.arcMoveTo(3, 3, 10, 10, 90);
    arc.arcTo(3, 3, 10, 10, 90, 270);
    QPainterPathStroker pen;
    pen.setWidth(2);
    QPainterPath path = pen.createStroke(arc);
    path.addPolygon(QPolygonF{{8, 0.5}, {12, 3}, {8, 5.5}});
    return path.simplified();
}

// A shape on a 16 by 16 grid; painted scaled for denser screens.
QPainterPath shape(MediaIcon kind)
{
    QPainterPath path;
    switch (kind) {
    case MediaIcon::Play:
        path.addPolygon(triangle(4, 13, true));
        break;
    case MediaIcon::Pause:
        path.addRect(4, 3, 3, 10);
        path.addRect(9, 3, 3, 10);
        break;
    case MediaIcon::Stop:
        path.addRect(4, 4, 8, 8);
        break;
    case MediaIcon::Back:
        path.addPolygon(triangle(1, 8, false));
        path.addPolygon(triangle(8, 15, false));
        break;
    case MediaIcon::PreviousSentence:
        path.addRect(3, 3, 2, 10);
        path.addPolygon(triangle(5, 13, false));
        break;
    case MediaIcon::NextSentence:
        path.addPolygon(triangle(3, 11, true));
        path.addRect(11, 3, 2, 10);
        break;
    case MediaIcon::RepeatSentence:
        path = againArrow();
        break;
    case MediaIcon::PauseAfterEach:
        path.addRect(2, 3, 3, 10);
        path.addRect(7, 3, 3, 10);
        path.addEllipse(QPointF(13, 11.5), 1.8, 1.8);  // a full stop: after each sentence
        break;
    }
    path.closeSubpath();
    return path;
}

QPixmap drawn(MediaIcon kind, const QColor &color, int scale)
{
    QPixmap pixmap(kSide * scale, kSide * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.fillPath(shape(kind), color);
    painter.end();
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

} // namespace

QIcon mediaIcon(MediaIcon kind, const QColor &color)
{
    QIcon icon;
    for (const int scale : {1, 2, 3})
        icon.addPixmap(drawn(kind, color, scale));
    return icon;
}

} // namespace vantrel
