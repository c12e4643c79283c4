#include "zoomstyle.h"

#include <QPainter>
#include <QStyleOption>

void ZoomStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                              QPainter *painter, const QWidget *widget) const {
    const bool drawn =
        m_zoom != 1 && ((element == PE_FrameFocusRect &&
                         drawZoomed<QStyleOptionFocusRect>(element, option, painter, widget)) ||
                        (element == PE_FrameLineEdit &&
                         drawZoomed<QStyleOptionFrame>(element, option, painter, widget)));
    if (!drawn)
        QProxyStyle::drawPrimitive(element, option, painter, widget);
}

// The frame as the style draws it at the layout's own size, on a painter that scales it up.
template <typename Option>
bool ZoomStyle::drawZoomed(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                           const QWidget *widget) const {
    const auto *typed = qstyleoption_cast<const Option *>(option);
    if (!typed)
        return false;
    Option unzoomed(*typed);
    unzoomed.rect = QRect(QPoint(), (QSizeF(option->rect.size()) / m_zoom).toSize());
    painter->save();
    painter->translate(option->rect.topLeft());
    painter->scale(m_zoom, m_zoom);
    QProxyStyle::drawPrimitive(element, &unzoomed, painter, widget);
    painter->restore();
    return true;
}
