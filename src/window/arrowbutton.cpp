#include "arrowbutton.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

ArrowButton::ArrowButton(Direction direction, const QColor &face, QWidget *parent)
    : QPushButton(parent), m_direction(direction), m_face(face) {}

void ArrowButton::setZoom(qreal zoom) {
    m_zoom = zoom;
    update();
}

void ArrowButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const bool sunken = isDown() || isChecked();
    {
        // The bevel at the layout's own size, scaled up with everything else.
        painter.save();
        painter.scale(m_zoom, m_zoom);
        const QBrush fill(m_face);
        qDrawWinButton(&painter, QRect(QPoint(), (QSizeF(size()) / m_zoom).toSize()), palette(),
                       sunken, &fill);
        painter.restore();
    }

    // The arrow lives on a grid of 32 by 32, centred, pointing down: a shaft from the top edge,
    // a head narrowing to a tip on the bottom edge, its left half lighter than its right, and a
    // wedge of light on the shaft's end. The up arrow is the same turned over, lit from below.
    const bool up = m_direction == Direction::Up;
    const int side = qRound(32 * m_zoom);
    const int shift = sunken ? qRound(m_zoom) : 0;
    const QPoint origin(qRound((width() - side) / 2.0) + shift,
                        qRound((height() - side) / 2.0) + shift);
    // Whole device pixels wherever an edge is upright, so those edges stay sharp.
    const auto at = [&](int x, int y) {
        return QPointF(origin.x() + qRound(x * m_zoom),
                       origin.y() + qRound((up ? 32 - y : y) * m_zoom));
    };
    QPainterPath arrow;
    arrow.addPolygon(
        QPolygonF{at(11, 0), at(21, 0), at(21, 19), at(29, 19), at(16, 32), at(3, 19), at(11, 19)});
    QPainterPath leftHalf;
    leftHalf.addRect(QRectF(at(0, 0), at(16, 32)).normalized());
    const QColor grey(128, 128, 128);
    const QColor silver(192, 192, 192);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.fillPath(arrow, Qt::black);
    painter.fillPath(arrow.intersected(leftHalf), up ? silver : grey);
    painter.setBrush(up ? grey : silver);
    painter.drawPolygon(QPolygonF{at(11, 0), at(21, 0), at(16, 5)});
    painter.restore();

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        const int inset = qRound(3 * m_zoom);
        focus.rect = rect().adjusted(inset, inset, -inset, -inset);
        focus.backgroundColor = m_face;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
