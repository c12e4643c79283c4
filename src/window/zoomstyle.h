#pragma once

#include <QProxyStyle>

// The platform's style, with focus frames and entry-box frames drawn as thick as the zoom
// makes everything else; a one-pixel frame around a control four times its size is easily
// missed on a projector.
class ZoomStyle : public QProxyStyle {
public:
    void setZoom(qreal zoom) { m_zoom = zoom; }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

private:
    template <typename Option>
    bool drawZoomed(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                    const QWidget *widget) const;

    qreal m_zoom = 1;
};
