#pragma once

#include <QPushButton>

// A push button whose face is filled with its own colour and shows a solid arrow, the way the
// transfer buttons have always looked, on every platform style. The arrow is drawn as shapes,
// so it stays crisp at every zoom.
class ArrowButton : public QPushButton {
    Q_OBJECT

public:
    enum class Direction { Up, Down };

    ArrowButton(Direction direction, const QColor &face, QWidget *parent = nullptr);

    QColor face() const { return m_face; }
    void setZoom(qreal zoom);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Direction m_direction;
    QColor m_face;
    qreal m_zoom = 1;
};
