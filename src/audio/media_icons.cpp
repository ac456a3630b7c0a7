// SPDX-License-Identifier: GPL-3.0-or-later
#include "media_icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>

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

// A shape on a 16 by 16 grid; painted scaled to the size asked for.
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

QPixmap drawn(MediaIcon kind, const QColor &color, const QSize &size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(qreal(size.width()) / kSide, qreal(size.height()) / kSide);
    painter.fillPath(shape(kind), color);
    return pixmap;
}

// Draws the shape at the size asked for, when it is first asked for: a
// player's icons cost nothing until the player is shown, and any screen
// density gets them sharp. Other modes than Normal are derived as Qt derives
// them for an icon made of pixmaps.
class DrawnIconEngine : public QIconEngine
{
public:
    DrawnIconEngine(MediaIcon kind, const QColor &color) : m_kind(kind), m_color(color) {}

    QIconEngine *clone() const override { return new DrawnIconEngine(*this); }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device()->devicePixelRatio();
        QPixmap shown = pixmap(rect.size() * ratio, mode, state);
        shown.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect.topLeft(), shown);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const QString key = QStringLiteral("vantrel-icon-%1-%2-%3x%4-%5")
                                .arg(int(m_kind)).arg(m_color.rgba()).arg(size.width()).arg(size.height()).arg(int(mode));
        QPixmap pixmap;
        if (QPixmapCache::find(key, &pixmap))
            return pixmap;
        pixmap = drawn(m_kind, m_color, size);
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
        }
        QPixmapCache::insert(key, pixmap);
        return pixmap;
    }

private:
    MediaIcon m_kind;
    QColor m_color;
};

} // namespace

QIcon mediaIcon(MediaIcon kind, const QColor &color)
{
    return QIcon(new DrawnIconEngine(kind, color));
}

} // namespace vantrel
