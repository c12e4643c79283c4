#pragma once

#include <QWidget>

#include <vector>

// The yardstick for start-up, memory, closing and zoom steps: the same 34 controls as Form1 at
// the same places in the same fonts, made in the plainest way, with no pictures, colours or
// behaviour. Ctrl++ and Ctrl+- switch between 300 and 400 %, resizing it the plain way.
class PlainWindow : public QWidget {
public:
    explicit PlainWindow(qreal zoom = 1);
    void setZoom(qreal zoom);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Placed {
        QWidget *control;
        QRect twips;
        qreal points;
    };
    std::vector<Placed> m_placed;
};
